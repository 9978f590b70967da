#pragma once
// The file-open prompt of the Browse buttons, replaceable as a whole: wx's
// test hooks cannot answer the GTK file chooser.

#include <functional>
#include <optional>
#include <vector>

#include <wx/string.h>
#include <wx/window.h>

namespace kelvara::app {

struct FilePromptRequest {
    wxWindow* parent = nullptr;
    bool overwritePrompt = false;  // asked for by the batch and append dialogs
    bool save = false;             // a save prompt, which may name a new file
    wxString wildcard;             // file types offered; empty: all files
};

// The chosen full path, or nothing when the user cancels.
using FilePrompt = std::function<std::optional<wxString>(const FilePromptRequest&)>;

std::optional<wxString> PromptForFile(const FilePromptRequest& request);

// Replaces the prompt (an empty function restores the real one); returns the
// previous one.
FilePrompt SetFilePrompt(FilePrompt prompt);

// The open prompt that takes several files at once: their full paths in the
// order the prompt gives them, none when the user cancels.
using FilesPrompt = std::function<std::vector<wxString>(const FilePromptRequest&)>;

std::vector<wxString> PromptForFiles(const FilePromptRequest& request);

FilesPrompt SetFilesPrompt(FilesPrompt prompt);

}  // namespace kelvara::app
