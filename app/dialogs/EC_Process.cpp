#include "dialogs/EC_Process.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "io/FileNames.h"
#include "io/ResultsFile.h"
#include "shell/ResultsWindow.h"
#include "shell/InputColumnsSettings.h"

namespace kelvara::app {

CECProcessDlg::CECProcessDlg(wxWindow* parent) : JobDialog(parent, res::kECProcessTemplate) {
    SetRadioIndex(res::IDC_EC_TWO_AXIS, rotation_);
    ShowInputColumnsNote(res::IDC_EC_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseFirst, this, res::IDC_BROWSE_FIRST);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseSecond, this, res::IDC_BROWSE_SECOND);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseOutput, this, res::IDC_BROWSE_OUTPUT);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnView, this, res::IDC_EC_VIEW);
    Control(res::IDC_EC_VIEW)->Disable();
}

void CECProcessDlg::OnProcess(wxCommandEvent&) {
    rotation_ = RadioIndex(res::IDC_EC_TWO_AXIS);
    if (IsChecked(res::IDC_EC_STANDARD)) {
        RunStandard();
        return;
    }
    const kelvara::SingleRunInputs inputs{
        .firstFile = ControlBytes(res::IDC_FIRST_FILE),
        .secondFile = ControlBytes(res::IDC_SECOND_FILE),
        .outputFile = ControlBytes(res::IDC_OUTPUT_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_EC_B0, res::IDC_EC_B1, res::IDC_EC_B2),
        .input = StoredInputFormat()};
    if (job_.Run(inputs, *this)) {
        RememberResults(inputs.outputFile, inputs.rotation.rotation, kelvara::Methods::Default);
    }
}

// The standard methods read the first file and, when one is named, the
// second as one stream: no question about a missing second file.
void CECProcessDlg::RunStandard() {
    kelvara::StandardRunInputs inputs{
        .files = {ControlBytes(res::IDC_FIRST_FILE)},
        .outputFile = ControlBytes(res::IDC_OUTPUT_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_EC_B0, res::IDC_EC_B1, res::IDC_EC_B2),
        .input = StoredInputFormat()};
    const std::string second = ControlBytes(res::IDC_SECOND_FILE);
    if (!second.empty()) inputs.files.push_back(second);
    if (standardJob_.Run(inputs, *this)) {
        RememberResults(inputs.outputFile, inputs.rotation.rotation, kelvara::Methods::Standard);
    }
}

void CECProcessDlg::RememberResults(const std::string& outputFile, kelvara::Rotation rotation,
                                    kelvara::Methods methods) {
    lastResults_ = outputFile + std::string(kelvara::ResultsSuffix(rotation, methods));
    Control(res::IDC_EC_VIEW)->Enable();
}

void CECProcessDlg::OnView(wxCommandEvent&) {
    if (!lastResults_.empty()) ResultsWindow::Open(GetParent(), kelvara::PathFromText(lastResults_));
}

// Puts the stored rotation choice back on the radio buttons first, so a
// selection made since the last run reverts.
void CECProcessDlg::OnBrowseFirst(wxCommandEvent&) {
    SetRadioIndex(res::IDC_EC_TWO_AXIS, rotation_);
    BrowseInto(res::IDC_FIRST_FILE, false);
}

void CECProcessDlg::OnBrowseSecond(wxCommandEvent&) { BrowseInto(res::IDC_SECOND_FILE, false); }

void CECProcessDlg::OnBrowseOutput(wxCommandEvent&) { BrowseInto(res::IDC_OUTPUT_FILE, false); }

}  // namespace kelvara::app
