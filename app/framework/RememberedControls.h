#pragma once
// What a job dialog's controls held when its job last started, kept in the
// per-user settings, so that the dialog shows it again when it next opens.

#include <span>

#include "framework/TemplateDialog.h"

namespace kelvara::app {

// A control kept under `key`: an edit's text exactly as typed, a check box's
// tick, or the index of the radio group that the control starts.
struct RememberedControl {
    const char* key;
    int control;
};

struct RememberedControls {
    const char* group;  // the settings group, an absolute path: "/EC Process"
    std::span<const RememberedControl> controls;
};

// Puts what is stored into the controls. One with nothing stored, or a
// radio index that names no button of its group, keeps what it shows.
void RestoreControls(TemplateDialog& dialog, const RememberedControls& remembered);

// Stores what the controls hold now. A settings file that cannot be written
// is not worth a message.
void StoreControls(const TemplateDialog& dialog, const RememberedControls& remembered);

}  // namespace kelvara::app
