#pragma once
// The per-user settings: where their file is, how windows reach them, and
// writing them there at once.

#include <wx/config.h>
#include <wx/string.h>

namespace kelvara::app {

// kelvara/kelvara.conf in the user's XDG config folder: $XDG_CONFIG_HOME when
// it is set and absolute, else ~/.config.
wxString SettingsFilePath();

// The settings the application set when it started (wxConfigBase::Get());
// none is made on demand, so a window shown before (or without) it stores
// and finds nothing: nullptr.
wxConfigBase* UserSettings();

// Writes what changed to SettingsFilePath() now, making its folder first,
// so that a choice is kept however the program ends. A file that cannot be
// written is not worth a message.
void WriteSettingsNow(wxConfigBase& settings);

}  // namespace kelvara::app
