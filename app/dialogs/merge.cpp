#include "dialogs/merge.h"

namespace kelvara::app {

CMergeDlg::CMergeDlg(wxWindow* parent) : TemplateDialog(parent, kMergeTemplate) {
    SetRadioIndex(IDC_FIRST_TAB, m_nFirstSeparator);
    SetRadioIndex(IDC_SECOND_TAB, m_nSecondSeparator);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnDoMerge, this, wxID_OK);
}

void CMergeDlg::OnDoMerge(wxCommandEvent& event) {
    m_nFirstSeparator = RadioIndex(IDC_FIRST_TAB);
    m_nSecondSeparator = RadioIndex(IDC_SECOND_TAB);
    event.Skip();  // the default OK action ends the dialog
}

}  // namespace kelvara::app
