#include "dialogs/batch_process.h"

namespace kelvara::app {

CBatchProcessDlg::CBatchProcessDlg(wxWindow* parent) : JobDialog(parent, kBatchTemplate) {
    SetRadioIndex(IDC_BATCH_TWO_AXIS, m_nRotation);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CBatchProcessDlg::OnBrowser, this, IDC_BATCH_BROWSER);
}

void CBatchProcessDlg::OnProcess(wxCommandEvent&) {
    m_nRotation = RadioIndex(IDC_BATCH_TWO_AXIS);
    const kelvara::BatchInputs inputs{.listFile = ControlBytes(IDC_LIST_FILE),
                                      .rotation = ReadRotationInputs(m_nRotation, IDC_BATCH_B0)};
    job_.Run(inputs, *this);
}

// A radio selection made since the last batch reverts before the prompt.
void CBatchProcessDlg::OnBrowser(wxCommandEvent&) {
    SetRadioIndex(IDC_BATCH_TWO_AXIS, m_nRotation);
    BrowseInto(IDC_LIST_FILE, true);
}

}  // namespace kelvara::app
