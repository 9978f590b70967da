#include "dialogs/append.h"

#include "AppendJob.h"

namespace kelvara::app {

CAppendDlg::CAppendDlg(wxWindow* parent) : JobDialog(parent, kAppendTemplate) {
    Bind(wxEVT_BUTTON, &CAppendDlg::OnOK, this, wxID_OK);
    for (int button = IDC_FILE1 + 1; button <= IDC_APPEND_OUTPUT_BROWSER; button += 2) {
        Bind(wxEVT_BUTTON, &CAppendDlg::OnBrowser, this, button);
    }
}

void CAppendDlg::OnOK(wxCommandEvent&) {
    kelvara::AppendInputs inputs;
    inputs.headLinesText = ControlBytes(IDC_HEAD_LINES);
    for (int slot = 0; slot < kelvara::kAppendSlotCount; ++slot) {
        inputs.files[static_cast<std::size_t>(slot)] = ControlBytes(IDC_FILE1 + 2 * slot);
    }
    inputs.outputFile = ControlBytes(IDC_APPEND_OUTPUT);
    kelvara::RunAppendJob(inputs, *this);
}

// Each Browser button fills the edit just before it.
void CAppendDlg::OnBrowser(wxCommandEvent& event) {
    BrowseInto(event.GetId() - 1, true);
}

}  // namespace kelvara::app
