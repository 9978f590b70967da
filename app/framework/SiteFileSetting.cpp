#include "framework/SiteFileSetting.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "framework/MessageBox.h"
#include "framework/SettingsFile.h"
#include "io/FileNames.h"
#include "io/SiteFile.h"

namespace kelvara::app {

namespace {

// Absolute: the settings object's current path belongs to others.
const char* const kSiteFileKey = "/Site and Instruments/SiteFile";

}  // namespace

std::filesystem::path DefaultSiteFilePath() {
    wxFileName file(SettingsFilePath());
    file.SetFullName("site.ini");
    return kelvara::PathFromText(file.GetFullPath().utf8_string());
}

std::filesystem::path StoredSiteFilePath() {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr || !settings->HasEntry(kSiteFileKey)) return DefaultSiteFilePath();
    // A path with "$" in it stays as it was stored: the settings would read
    // it as a variable.
    const bool expanding = settings->IsExpandingEnvVars();
    settings->SetExpandEnvVars(false);
    const wxString stored = settings->Read(kSiteFileKey);
    settings->SetExpandEnvVars(expanding);
    return stored.empty() ? DefaultSiteFilePath() : kelvara::PathFromText(stored.utf8_string());
}

void StoreSiteFilePath(const std::filesystem::path& file) {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return;
    wxLogNull quiet;
    const std::u8string utf8 = file.u8string();
    settings->Write(kSiteFileKey, wxString::FromUTF8(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
    WriteSettingsNow(*settings);
}

bool ReadStoredSite(wxWindow* parent, std::optional<kelvara::SiteSettings>& site) {
    site.reset();
    const std::filesystem::path file = StoredSiteFilePath();
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return true;
    kelvara::SiteSettings settings;
    kelvara::SiteFileError problem;
    if (!kelvara::ReadSiteFile(file, settings, problem)) {
        ShowMessageBox(parent, problem.message, kCheckSiteFileTitle, kelvara::MessageIcon::Exclamation);
        return false;
    }
    site = settings;
    return true;
}

}  // namespace kelvara::app
