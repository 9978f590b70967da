#include "dialogs/EC_Process.h"

namespace kelvara::app {

CECProcessDlg::CECProcessDlg(wxWindow* parent) : JobDialog(parent, kECProcessTemplate) {
    SetRadioIndex(IDC_EC_TWO_AXIS, m_nRotation);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseFirst, this, IDC_BROWSE_FIRST);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseSecond, this, IDC_BROWSE_SECOND);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseOutput, this, IDC_BROWSE_OUTPUT);
}

void CECProcessDlg::OnProcess(wxCommandEvent&) {
    m_nRotation = RadioIndex(IDC_EC_TWO_AXIS);
    const kelvara::SingleRunInputs inputs{.firstFile = ControlBytes(IDC_FIRST_FILE),
                                          .secondFile = ControlBytes(IDC_SECOND_FILE),
                                          .outputFile = ControlBytes(IDC_OUTPUT_FILE),
                                          .rotation = ReadRotationInputs(m_nRotation, IDC_EC_B0)};
    job_.Run(inputs, *this);
}

// Puts the stored rotation choice back on the radio buttons first, so a
// selection made since the last run reverts.
void CECProcessDlg::OnBrowseFirst(wxCommandEvent&) {
    SetRadioIndex(IDC_EC_TWO_AXIS, m_nRotation);
    BrowseInto(IDC_FIRST_FILE, false);
}

void CECProcessDlg::OnBrowseSecond(wxCommandEvent&) { BrowseInto(IDC_SECOND_FILE, false); }

void CECProcessDlg::OnBrowseOutput(wxCommandEvent&) { BrowseInto(IDC_OUTPUT_FILE, false); }

}  // namespace kelvara::app
