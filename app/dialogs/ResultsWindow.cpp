#include "dialogs/ResultsWindow.h"

#include <algorithm>
#include <variant>

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "PictureFile.h"
#include "framework/FilePrompt.h"
#include "framework/MessageBox.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara::app {

namespace {

constexpr const char* kCannotView = "Can't View Results";
constexpr const char* kCannotSave = "Can't Save Picture";
const wxSize kInitialSize(1000, 760);

std::filesystem::path PathOf(const wxString& text) { return kelvara::PathFromText(text.utf8_string()); }

}  // namespace

ResultsWindow::ResultsWindow(wxWindow* parent, plot::QuickLook look, const wxString& title)
    : wxFrame(parent, wxID_ANY, title + " - Kelvara", wxDefaultPosition, kInitialSize), look_(std::move(look)) {
    auto* frame = new wxPanel(this);
    canvas_ = new wxPanel(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE);
    canvas_->SetBackgroundStyle(wxBG_STYLE_PAINT);
    canvas_->Bind(wxEVT_PAINT, &ResultsWindow::OnPaint, this);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(frame, wxID_SAVE, "Save Picture..."), 0, wxRIGHT, 8);
    buttons->Add(new wxButton(frame, wxID_CLOSE, "Close"));
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(canvas_, 1, wxEXPAND);
    layout->Add(buttons, 0, wxEXPAND | wxALL, 8);
    frame->SetSizer(layout);
    Bind(wxEVT_BUTTON, &ResultsWindow::OnSavePicture, this, wxID_SAVE);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); }, wxID_CLOSE);
    SetMinSize(wxSize(400, 320));
}

ResultsWindow* ResultsWindow::Open(wxWindow* parent, const std::filesystem::path& file) {
    auto read = plot::ReadResultsTable(file);
    std::string problem;
    if (const auto* text = std::get_if<std::string>(&read)) {
        problem = *text == "cannot be opened" ? kelvara::ReasonCannotRead(file) : *text;
    } else if (std::get<plot::ResultsTable>(read).rows.empty()) {
        problem = "holds no half hour to plot";
    }
    if (!problem.empty()) {
        ShowMessageBox(parent, file.filename().string() + ": " + problem, kCannotView,
                       kelvara::MessageIcon::Exclamation);
        return nullptr;
    }
    const std::string title = plot::TitleOfFiles({file});
    auto* window = new ResultsWindow(parent, plot::QuickLook(std::move(std::get<plot::ResultsTable>(read)), title),
                                     wxString::FromUTF8(title));
    window->Show();
    return window;
}

plot::PictureSize ResultsWindow::PictureSize() const {
    const wxSize size = canvas_->GetClientSize();
    return {std::clamp(size.x, plot::kMinimumPictureSide, plot::kMaximumPictureSide),
            std::clamp(size.y, plot::kMinimumPictureSide, plot::kMaximumPictureSide)};
}

// Drawn afresh whenever the window's size changes, so the letters stay sharp.
void ResultsWindow::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(canvas_);
    const plot::PictureSize size = PictureSize();
    if (!picture_.IsOk() || picture_.GetWidth() != size.width || picture_.GetHeight() != size.height) {
        std::vector<unsigned char> rgb = look_.DrawRgb(size);
        // wxImage frees its data with free(): hand it a copy made by malloc.
        auto* data = static_cast<unsigned char*>(std::malloc(rgb.size()));
        std::copy(rgb.begin(), rgb.end(), data);
        picture_ = wxBitmap(wxImage(size.width, size.height, data));
    }
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.DrawBitmap(picture_, 0, 0);
}

void ResultsWindow::OnSavePicture(wxCommandEvent&) {
    const auto chosen = PromptForFile({.parent = this,
                                       .overwritePrompt = true,
                                       .save = true,
                                       .wildcard = "PNG picture (*.png)|*.png|SVG picture (*.svg)|*.svg"});
    if (!chosen) return;
    std::filesystem::path file = PathOf(*chosen);
    // A name without a picture extension becomes a PNG picture.
    if (!plot::PictureFormatOf(file)) file += ".png";
    const std::string problem = plot::WritePictureFile(look_, file, *plot::PictureFormatOf(file), PictureSize());
    if (!problem.empty()) {
        ShowMessageBox(this, file.filename().string() + ": " + problem, kCannotSave, kelvara::MessageIcon::Exclamation);
    }
}

}  // namespace kelvara::app
