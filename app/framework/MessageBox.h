#pragma once
// A modal message with an OK button. wx's generic message dialog is used
// because the native GTK one shows no icon.

#include <string_view>

#include <wx/window.h>

#include "jobs/JobMessages.h"

namespace kelvara::app {

// `details`, when given, follow the text after a blank line, and the text
// stands out above them as a heading. Lines too wide for a box of a
// comfortable width are wrapped.
void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view title, kelvara::MessageIcon icon,
                    std::string_view details = {});
inline void ShowMessageBox(wxWindow* parent, const kelvara::JobMessage& message) {
    ShowMessageBox(parent, message.text, message.title, message.icon);
}

}  // namespace kelvara::app
