#pragma once
// A modal message with an OK button. wx's generic message dialog is used
// because the native GTK one shows no icon.

#include <string_view>

#include <wx/window.h>

#include "JobPort.h"

namespace kelvara::app {

void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view title,
                    kelvara::MessageIcon icon);

}  // namespace kelvara::app
