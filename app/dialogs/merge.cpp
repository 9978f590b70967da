#include "dialogs/merge.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"

namespace kelvara::app {

CMergeDlg::CMergeDlg(wxWindow* parent) : TemplateDialog(parent, res::kMergeTemplate) {
    SetRadioIndex(res::IDC_FIRST_TAB, m_nFirstSeparator);
    SetRadioIndex(res::IDC_SECOND_TAB, m_nSecondSeparator);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnDoMerge, this, wxID_OK);
}

void CMergeDlg::OnDoMerge(wxCommandEvent& event) {
    m_nFirstSeparator = RadioIndex(res::IDC_FIRST_TAB);
    m_nSecondSeparator = RadioIndex(res::IDC_SECOND_TAB);
    event.Skip();  // the default OK action ends the dialog
}

}  // namespace kelvara::app
