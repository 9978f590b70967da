#include "dialogs/EC_Process.h"

#include <algorithm>

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "dialogs/ResultsWindow.h"
#include "dialogs/second_file.h"
#include "framework/FilePrompt.h"
#include "framework/InputColumnsSettings.h"
#include "framework/RememberedControls.h"
#include "framework/SettingsFile.h"
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
    {"Corrections", res::IDC_EC_CORRECTED},
};
constexpr RememberedControls kRemembered{"/EC Process", kRememberedControls};
// The files of a stream chosen together, one a line, beside the count the
// first file's box shows for them.
const char* const kStreamKey = "/EC Process/FirstFileStream";

// A tooltip of a few dozen names is still readable; more are counted.
constexpr std::size_t kNamesInTooltip = 30;

std::string FileNameOf(const std::string& path) { return kelvara::PathFromText(path).filename().string(); }

void StoreStream(const std::vector<std::string>& files) {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return;
    wxLogNull quiet;
    std::string lines;
    for (const std::string& file : files) lines += (lines.empty() ? "" : "\n") + file;
    settings->Write(kStreamKey, wxString::FromUTF8(lines));
    WriteSettingsNow(*settings);
}

std::vector<std::string> StoredStream() {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return {};
    const bool expanding = settings->IsExpandingEnvVars();
    settings->SetExpandEnvVars(false);
    const wxString lines = settings->Read(kStreamKey);
    settings->SetExpandEnvVars(expanding);
    std::vector<std::string> files;
    for (const wxString& line : wxSplit(lines, '\n', '\0')) {
        if (!line.empty()) files.push_back(line.utf8_string());
    }
    return files;
}

}  // namespace

CECProcessDlg::CECProcessDlg(wxWindow* parent) : JobDialog(parent, res::kECProcessTemplate) {
    SetRadioIndex(res::IDC_EC_TWO_AXIS, rotation_);
    RestoreControls(*this, kRemembered);
    rotation_ = RadioIndex(res::IDC_EC_TWO_AXIS);
    if (std::vector<std::string> stream = StoredStream();
        stream.size() > 1 && ControlText(res::IDC_FIRST_FILE) == StreamText(stream)) {
        ShowStream(std::move(stream));
    }
    ShowInputColumnsNote(res::IDC_EC_COLUMNS_NOTE, InputColumnsNote(StoredInputFormat()));
    LinkMethodsBoxes(res::IDC_EC_STANDARD, res::IDC_EC_CORRECTED, [this] { ShowMethods(); });
    ShowMethods();
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

wxString CECProcessDlg::StreamText(const std::vector<std::string>& files) {
    if (files.size() == 1) return wxString::FromUTF8(files.front());
    if (files.empty()) return wxString();
    return wxString::Format("%zu files", files.size());
}

bool CECProcessDlg::ReadsStream() const {
    return kelvara::ReadsStreams(ChosenMethods(res::IDC_EC_STANDARD, res::IDC_EC_CORRECTED));
}

// Back to the default method, a stream the first file's box shows becomes
// its first file, the one that method reads.
void CECProcessDlg::ShowMethods() {
    if (!ReadsStream() && !stream_.empty() && ControlText(res::IDC_FIRST_FILE) == StreamText(stream_)) {
        ShowStream({stream_.front()});
    }
}

// One file is shown as its path, as if typed.
void CECProcessDlg::ShowStream(std::vector<std::string> files) {
    wxWindow* box = Control(res::IDC_FIRST_FILE);
    if (files.size() < 2) {
        stream_.clear();
        SetControlText(res::IDC_FIRST_FILE, StreamText(files));
        box->UnsetToolTip();
        return;
    }
    stream_ = std::move(files);
    SetControlText(res::IDC_FIRST_FILE, StreamText(stream_));
    // The names, one a line; the folder is the first file's.
    wxString names = wxString::FromUTF8(kelvara::PathFromText(stream_.front()).parent_path().string()) + ":";
    for (std::size_t i = 0; i < stream_.size() && i < kNamesInTooltip; ++i) {
        names += "\n" + wxString::FromUTF8(FileNameOf(stream_[i]));
    }
    if (stream_.size() > kNamesInTooltip)
        names += wxString::Format("\n\u2026 and %zu more", stream_.size() - kNamesInTooltip);
    box->SetToolTip(names);
}

std::vector<std::string> CECProcessDlg::FirstFiles() const {
    if (ReadsStream() && !stream_.empty() && ControlText(res::IDC_FIRST_FILE) == StreamText(stream_)) return stream_;
    return {ControlBytes(res::IDC_FIRST_FILE)};
}

std::vector<std::string> CECProcessDlg::RawFiles() const {
    std::vector<std::string> files = FirstFiles();
    const std::string second = ControlBytes(res::IDC_SECOND_FILE);
    if (!second.empty()) files.push_back(second);
    return files;
}

// The standard methods read the files as one stream; the default method
// asks about a missing second file.
void CECProcessDlg::OnProcess(wxCommandEvent&) {
    StoreControls(*this, kRemembered);
    const std::vector<std::string> files = RawFiles();
    const std::vector<std::string> stream = FirstFiles();
    StoreStream(stream.size() > 1 ? stream : std::vector<std::string>{});
    rotation_ = RadioIndex(res::IDC_EC_TWO_AXIS);
    kelvara::RunInputs inputs{.methods = ChosenMethods(res::IDC_EC_STANDARD, res::IDC_EC_CORRECTED),
                              .files = files,
                              .outputFile = ControlBytes(res::IDC_OUTPUT_FILE),
                              .rotation = ReadRotationInputs(rotation_, res::IDC_EC_B0, res::IDC_EC_B1, res::IDC_EC_B2),
                              .input = StoredInputFormat()};
    if (!ReadSiteFor(inputs.methods, inputs.site)) return;
    if (!job_.Run(inputs, *this)) return;
    lastResults_ = inputs.outputFile + std::string(kelvara::ResultsSuffix(inputs.rotation.rotation, inputs.methods));
    Control(res::IDC_EC_VIEW)->Enable();
}

void CECProcessDlg::OnView(wxCommandEvent&) {
    if (!lastResults_.empty()) ResultsWindow::Open(GetParent(), kelvara::PathFromText(lastResults_));
}

// Puts the stored rotation choice back on the radio buttons first, so a
// selection made since the last run reverts. A stream takes several files
// at once, in name order.
void CECProcessDlg::OnBrowseFirst(wxCommandEvent&) {
    SetRadioIndex(res::IDC_EC_TWO_AXIS, rotation_);
    if (!ReadsStream()) {
        BrowseInto(res::IDC_FIRST_FILE, false);
        return;
    }
    std::vector<std::string> files;
    for (const wxString& path : PromptForFiles({.parent = this})) files.push_back(path.utf8_string());
    if (files.empty()) return;
    std::sort(files.begin(), files.end());
    ShowStream(std::move(files));
}

void CECProcessDlg::OnBrowseSecond(wxCommandEvent&) { BrowseInto(res::IDC_SECOND_FILE, false); }

void CECProcessDlg::OnBrowseOutput(wxCommandEvent&) { BrowseInto(res::IDC_OUTPUT_FILE, false); }

}  // namespace kelvara::app
