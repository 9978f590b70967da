#include "framework/SettingsFile.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace kelvara::app {

// The XDG rule: a relative $XDG_CONFIG_HOME is invalid and ignored.
wxString SettingsFilePath() {
    wxString configHome;
    if (!wxGetEnv("XDG_CONFIG_HOME", &configHome) || !wxFileName::DirName(configHome).IsAbsolute()) {
        configHome = wxFileName::GetHomeDir() + "/.config";
    }
    wxFileName file = wxFileName::DirName(configHome);
    file.AppendDir("kelvara");
    file.SetFullName("kelvara.conf");
    return file.GetFullPath();
}

wxConfigBase* UserSettings() { return wxConfigBase::Get(false); }

void WriteSettingsNow(wxConfigBase& settings) {
    wxLogNull quiet;
    wxFileName::Mkdir(wxFileName(SettingsFilePath()).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    settings.Flush();
}

}  // namespace kelvara::app
