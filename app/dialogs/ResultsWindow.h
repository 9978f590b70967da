#pragma once
// A resizable window with the quick look at a results file, redrawn to fit
// the window, which "Save Picture..." writes as PNG or SVG.

#include <filesystem>

#include <wx/bitmap.h>
#include <wx/frame.h>

#include "QuickLook.h"

class wxPanel;

namespace kelvara::app {

class ResultsWindow : public wxFrame {
public:
    ResultsWindow(wxWindow* parent, plot::QuickLook look, const wxString& title);

    // Reads the file and opens a window on it; a file that is not a results
    // file, or holds no half hour, is reported instead. The window, or
    // nullptr.
    static ResultsWindow* Open(wxWindow* parent, const std::filesystem::path& file);

    // The picture as last drawn in the window.
    const wxBitmap& Picture() const { return picture_; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnSavePicture(wxCommandEvent& event);
    plot::PictureSize PictureSize() const;

    plot::QuickLook look_;
    wxPanel* canvas_ = nullptr;
    wxBitmap picture_;
};

}  // namespace kelvara::app
