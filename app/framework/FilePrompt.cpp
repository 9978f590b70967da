#include "framework/FilePrompt.h"

#include <utility>

#include <wx/filedlg.h>

namespace kelvara::app {

namespace {

// An open dialog with no filter, no default extension and no initial name.
// wx allows the overwrite prompt on save dialogs only, and an open dialog
// never overwrites, so the flag has nothing to do here.
std::optional<wxString> ShowFileOpenDialog(const FilePromptRequest& request) {
    wxFileDialog dialog(request.parent, "Open", wxString(), wxString(), wxFileSelectorDefaultWildcardStr, wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetPath();
}

FilePrompt& CurrentPrompt() {
    static FilePrompt prompt = ShowFileOpenDialog;
    return prompt;
}

}  // namespace

std::optional<wxString> PromptForFile(const FilePromptRequest& request) { return CurrentPrompt()(request); }

FilePrompt SetFilePrompt(FilePrompt prompt) {
    if (!prompt) prompt = ShowFileOpenDialog;
    return std::exchange(CurrentPrompt(), std::move(prompt));
}

}  // namespace kelvara::app
