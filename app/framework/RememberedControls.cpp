#include "framework/RememberedControls.h"

#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/log.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "framework/SettingsFile.h"

namespace kelvara::app {

namespace {

wxString KeyOf(const RememberedControls& remembered, const RememberedControl& control) {
    return wxString::FromUTF8(remembered.group) + "/" + wxString::FromUTF8(control.key);
}

}  // namespace

void RestoreControls(TemplateDialog& dialog, const RememberedControls& remembered) {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return;
    // A typed "$HOME" stays as typed: the settings would read it as a variable.
    const bool expanding = settings->IsExpandingEnvVars();
    settings->SetExpandEnvVars(false);
    for (const RememberedControl& control : remembered.controls) {
        const wxString key = KeyOf(remembered, control);
        if (!settings->HasEntry(key)) continue;
        wxWindow* window = dialog.Control(control.control);
        if (auto* box = dynamic_cast<wxCheckBox*>(window)) {
            box->SetValue(settings->ReadBool(key, box->GetValue()));
        } else if (dynamic_cast<wxRadioButton*>(window) != nullptr) {
            const long index = settings->ReadLong(key, -1);
            if (index >= 0 && index < dialog.RadioCount(control.control)) {
                dialog.SetRadioIndex(control.control, static_cast<int>(index));
            }
        } else if (auto* edit = dynamic_cast<wxTextCtrl*>(window)) {
            edit->ChangeValue(settings->Read(key));
            // A long path shows its end, the file's name.
            edit->SetInsertionPointEnd();
        }
    }
    settings->SetExpandEnvVars(expanding);
}

void StoreControls(const TemplateDialog& dialog, const RememberedControls& remembered) {
    wxConfigBase* settings = UserSettings();
    if (settings == nullptr) return;
    wxLogNull quiet;
    for (const RememberedControl& control : remembered.controls) {
        const wxString key = KeyOf(remembered, control);
        wxWindow* window = dialog.Control(control.control);
        if (dynamic_cast<wxCheckBox*>(window) != nullptr) {
            settings->Write(key, dialog.IsChecked(control.control));
        } else if (dynamic_cast<wxRadioButton*>(window) != nullptr) {
            settings->Write(key, static_cast<long>(dialog.RadioIndex(control.control)));
        } else if (dynamic_cast<wxTextCtrl*>(window) != nullptr) {
            settings->Write(key, dialog.ControlText(control.control));
        }
    }
    WriteSettingsNow(*settings);
}

}  // namespace kelvara::app
