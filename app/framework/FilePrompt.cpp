#include "framework/FilePrompt.h"

#include <utility>

#include <wx/filedlg.h>

namespace kelvara::app {

namespace {

// The Browse buttons' open dialog has no filter, no default extension and no
// initial name. wx allows the overwrite prompt on save dialogs only, and an
// open dialog never overwrites, so the flag counts for save prompts alone.
std::optional<wxString> ShowFileOpenDialog(const FilePromptRequest& request) {
    const wxString wildcard = request.wildcard.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : request.wildcard;
    const long style = request.save ? wxFD_SAVE | (request.overwritePrompt ? wxFD_OVERWRITE_PROMPT : 0) : wxFD_OPEN;
    wxFileDialog dialog(request.parent, request.save ? "Save" : "Open", wxString(), wxString(), wildcard, style);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetPath();
}

std::vector<wxString> ShowMultipleFileDialog(const FilePromptRequest& request) {
    const wxString wildcard = request.wildcard.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : request.wildcard;
    wxFileDialog dialog(request.parent, "Open", wxString(), wxString(), wildcard, wxFD_OPEN | wxFD_MULTIPLE);
    if (dialog.ShowModal() != wxID_OK) return {};
    wxArrayString paths;
    dialog.GetPaths(paths);
    return std::vector<wxString>(paths.begin(), paths.end());
}

FilesPrompt& CurrentFilesPrompt() {
    static FilesPrompt prompt = ShowMultipleFileDialog;
    return prompt;
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

std::vector<wxString> PromptForFiles(const FilePromptRequest& request) { return CurrentFilesPrompt()(request); }

FilesPrompt SetFilesPrompt(FilesPrompt prompt) {
    if (!prompt) prompt = ShowMultipleFileDialog;
    return std::exchange(CurrentFilesPrompt(), std::move(prompt));
}

}  // namespace kelvara::app
