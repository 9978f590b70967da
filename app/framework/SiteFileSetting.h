#pragma once
// The site file that the corrected fluxes read: the one the "Site and
// Instruments" dialog last saved, kept in the per-user settings, and
// site.ini in the settings folder until one was.

#include <filesystem>
#include <optional>
#include <string>

#include <wx/window.h>

#include "corrections/SiteSettings.h"

namespace kelvara::app {

// The title of every box that shows why a site file does not read.
inline constexpr const char* kCheckSiteFileTitle = "Please check the site file!";

// site.ini beside the settings file.
std::filesystem::path DefaultSiteFilePath();
std::filesystem::path StoredSiteFilePath();
// A settings file that cannot be written is not worth a message.
void StoreSiteFilePath(const std::filesystem::path& file);

// The stored site file's settings for a job of the corrected method: none
// when there is no such file. False, with the parser's message shown over
// parent, when the file does not read.
bool ReadStoredSite(wxWindow* parent, std::optional<kelvara::SiteSettings>& site);

}  // namespace kelvara::app
