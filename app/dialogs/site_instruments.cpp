#include "dialogs/site_instruments.h"

#include <system_error>

#include "DialogTemplates.h"
#include "ResourceIds.h"
#include "framework/FilePrompt.h"
#include "framework/MessageBox.h"
#include "framework/SiteFileSetting.h"
#include "io/FileNames.h"
#include "io/SiteFile.h"

namespace kelvara::app {

namespace {

constexpr const char* kSiteWildcard = "Site files (*.ini)|*.ini|All files|*";

std::string NameOf(const std::filesystem::path& file) {
    const std::u8string name = file.filename().u8string();
    return std::string(name.begin(), name.end());
}

wxString Utf8Of(const std::filesystem::path& file) {
    const std::u8string text = file.u8string();
    return wxString::FromUTF8(reinterpret_cast<const char*>(text.data()), text.size());
}

// "section.key" of each box, in the boxes' order.
std::vector<std::string> KeyNames() {
    std::vector<std::string> names;
    for (const kelvara::SiteSection& section : kelvara::SiteSettingsEntries({})) {
        for (const kelvara::SiteEntry& entry : section.entries) names.push_back(section.name + "." + entry.key);
    }
    return names;
}

// A site file not yet written: the defaults, the required keys empty.
std::vector<std::string> NewFileTexts() {
    std::vector<std::string> texts = kelvara::SiteValueTexts({});
    std::size_t key = 0;
    for (const kelvara::SiteSection& section : kelvara::SiteSettingsEntries({})) {
        for (const kelvara::SiteEntry& entry : section.entries) {
            if (entry.required) texts[key].clear();
            ++key;
        }
    }
    return texts;
}

}  // namespace

CSiteInstrumentsDlg::CSiteInstrumentsDlg(wxWindow* parent)
    : TemplateDialog(parent, res::kSiteInstrumentsTemplate), file_(StoredSiteFilePath()) {
    ShowTexts(NewFileTexts());
    std::error_code error;
    if (std::filesystem::exists(file_, error)) OpenFile(file_);
    ShowFileNote();
    Bind(wxEVT_BUTTON, &CSiteInstrumentsDlg::OnOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CSiteInstrumentsDlg::OnOpen, this, res::IDC_SITE_OPEN);
    Bind(wxEVT_BUTTON, &CSiteInstrumentsDlg::OnSaveAs, this, res::IDC_SITE_SAVE_AS);
}

void CSiteInstrumentsDlg::ShowTexts(const std::vector<std::string>& texts) {
    for (std::size_t key = 0; key < res::kSiteKeyBoxes.size() && key < texts.size(); ++key) {
        SetControlText(res::kSiteKeyBoxes[key], wxString::FromUTF8(texts[key]));
    }
}

std::vector<std::string> CSiteInstrumentsDlg::BoxTexts() const {
    std::vector<std::string> texts;
    for (const int box : res::kSiteKeyBoxes) texts.push_back(ControlBytes(box));
    return texts;
}

// The file the boxes spell, read as any site file is: a problem names the
// key and its line in the file that would be saved, and that key's box
// takes the focus.
bool CSiteInstrumentsDlg::ReadBoxes(kelvara::SiteSettings& settings) {
    kelvara::SiteFileError error;
    if (kelvara::ParseSiteText(kelvara::SiteFileTextOfValues(BoxTexts()), settings, error)) return true;
    ShowMessageBox(this, NameOf(file_) + (error.line > 0 ? ", " : ": ") + error.message, kCheckSiteFileTitle,
                   kelvara::MessageIcon::Exclamation);
    const std::vector<std::string> keys = KeyNames();
    for (std::size_t key = 0; key < keys.size() && key < res::kSiteKeyBoxes.size(); ++key) {
        if (keys[key] == error.key) Control(res::kSiteKeyBoxes[key])->SetFocus();
    }
    return false;
}

bool CSiteInstrumentsDlg::SaveInto(const std::filesystem::path& file) {
    kelvara::SiteSettings settings;
    if (!ReadBoxes(settings)) return false;
    // The settings folder may not be there yet.
    std::error_code ignored;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    std::string problem;
    if (!kelvara::WriteSiteFile(file, settings, problem)) {
        ShowMessageBox(this, NameOf(file) + ": " + problem, kCheckSiteFileTitle, kelvara::MessageIcon::Exclamation);
        return false;
    }
    file_ = file;
    StoreSiteFilePath(file_);
    ShowFileNote();
    return true;
}

bool CSiteInstrumentsDlg::Accept() { return SaveInto(file_); }

bool CSiteInstrumentsDlg::SaveAs(const std::filesystem::path& file) { return SaveInto(file); }

bool CSiteInstrumentsDlg::OpenFile(const std::filesystem::path& file) {
    kelvara::SiteSettings settings;
    kelvara::SiteFileError error;
    if (!kelvara::ReadSiteFile(file, settings, error)) {
        ShowMessageBox(this, error.message, kCheckSiteFileTitle, kelvara::MessageIcon::Exclamation);
        return false;
    }
    ShowTexts(kelvara::SiteValueTexts(settings));
    file_ = file;
    ShowFileNote();
    return true;
}

void CSiteInstrumentsDlg::ShowFileNote() {
    std::error_code error;
    const bool exists = std::filesystem::exists(file_, error);
    SetControlText(res::IDC_SITE_FILE_NOTE, "Site file: " + Utf8Of(file_) + (exists ? "" : " (new)"));
    Control(res::IDC_SITE_FILE_NOTE)->SetToolTip(Utf8Of(file_));
}

void CSiteInstrumentsDlg::OnOpen(wxCommandEvent&) {
    const auto chosen = PromptForFile({.parent = this, .wildcard = kSiteWildcard});
    if (chosen) OpenFile(kelvara::PathFromText(chosen->utf8_string()));
}

// A name without an extension becomes an .ini file.
void CSiteInstrumentsDlg::OnSaveAs(wxCommandEvent&) {
    const auto chosen =
        PromptForFile({.parent = this, .overwritePrompt = true, .save = true, .wildcard = kSiteWildcard});
    if (!chosen) return;
    std::filesystem::path file = kelvara::PathFromText(chosen->utf8_string());
    if (!file.has_extension()) file += ".ini";
    SaveAs(file);
}

void CSiteInstrumentsDlg::OnOk(wxCommandEvent&) {
    if (Accept()) EndModal(wxID_OK);
}

}  // namespace kelvara::app
