#include "dialogs/merge.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"

namespace kelvara::app {

CMergeDlg::CMergeDlg(wxWindow* parent) : TemplateDialog(parent, res::kMergeTemplate) {
    SetRadioIndex(res::IDC_FIRST_TAB, firstSeparator_);
    SetRadioIndex(res::IDC_SECOND_TAB, secondSeparator_);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnDoMerge, this, wxID_OK);
}

void CMergeDlg::OnDoMerge(wxCommandEvent& event) {
    firstSeparator_ = RadioIndex(res::IDC_FIRST_TAB);
    secondSeparator_ = RadioIndex(res::IDC_SECOND_TAB);
    event.Skip();  // the default OK action ends the dialog
}

}  // namespace kelvara::app
