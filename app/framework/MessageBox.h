#pragma once
// A modal message with an OK button. wx's generic message dialog is used
// because the native GTK one shows no icon.

#include <string_view>

#include <wx/window.h>

#include "jobs/JobMessages.h"

namespace kelvara::app {

void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view title, kelvara::MessageIcon icon);
inline void ShowMessageBox(wxWindow* parent, const kelvara::JobMessage& message) {
    ShowMessageBox(parent, message.text, message.title, message.icon);
}

}  // namespace kelvara::app
