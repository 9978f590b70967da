#include "dialogs/EC_Process.h"

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "dialogs/ResultsWindow.h"
#include "dialogs/second_file.h"
#include "framework/InputColumnsSettings.h"
#include "framework/RememberedControls.h"
#include "io/FileNames.h"
#include "io/ResultsFile.h"

namespace kelvara::app {

namespace {

// What the dialog shows again when it next opens, as of the last run started.
constexpr RememberedControl kRememberedControls[] = {
    {"FirstFile", res::IDC_FIRST_FILE},
    {"SecondFile", res::IDC_SECOND_FILE},
    {"OutputFile", res::IDC_OUTPUT_FILE},
    {"Rotation", res::IDC_EC_TWO_AXIS},
    {"b0", res::IDC_EC_B0},
    {"b1", res::IDC_EC_B1},
    {"b2", res::IDC_EC_B2},
    {"StandardMethods", res::IDC_EC_STANDARD},
};
constexpr RememberedControls kRemembered{"/EC Process", kRememberedControls};

}  // namespace

CECProcessDlg::CECProcessDlg(wxWindow* parent) : JobDialog(parent, res::kECProcessTemplate) {
    SetRadioIndex(res::IDC_EC_TWO_AXIS, rotation_);
    RestoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_EC_TWO_AXIS);
    ShowInputColumnsNote(res::IDC_EC_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnProcess, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseFirst, this, res::IDC_BROWSE_FIRST);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseSecond, this, res::IDC_BROWSE_SECOND);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnBrowseOutput, this, res::IDC_BROWSE_OUTPUT);
    Bind(wxEVT_BUTTON, &CECProcessDlg::OnView, this, res::IDC_EC_VIEW);
    Control(res::IDC_EC_VIEW)->Disable();
}

kelvara::SecondFileAnswer CECProcessDlg::AskNoSecondFile() {
    CSecondFileDlg dialog(this);
    return dialog.ShowModal() == wxID_OK ? kelvara::SecondFileAnswer::Continue : kelvara::SecondFileAnswer::ReInput;
}

// The standard methods read the first file and, when one is named, the
// second as one stream; the default method asks about a missing second one.
void CECProcessDlg::OnProcess(wxCommandEvent&) {
    StoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_EC_TWO_AXIS);
    kelvara::RunInputs inputs{
        .methods = IsChecked(res::IDC_EC_STANDARD) ? kelvara::Methods::Standard : kelvara::Methods::Default,
        .files = {ControlBytes(res::IDC_FIRST_FILE)},
        .outputFile = ControlBytes(res::IDC_OUTPUT_FILE),
        .rotation = ReadRotationInputs(rotation_, res::IDC_EC_B0, res::IDC_EC_B1, res::IDC_EC_B2),
        .input = StoredInputFormat()};
    const std::string second = ControlBytes(res::IDC_SECOND_FILE);
    if (!second.empty()) inputs.files.push_back(second);
    if (!job_.Run(inputs, *this)) return;
    lastResults_ = inputs.outputFile + std::string(kelvara::ResultsSuffix(inputs.rotation.rotation, inputs.methods));
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
