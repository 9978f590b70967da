#include "framework/Artwork.h"

#include <memory>

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/tokenzr.h>

#include "document16.xpm"
#include "document32.xpm"
#include "kelvara16.xpm"
#include "kelvara32.xpm"

namespace kelvara::app {

namespace {

const wxColour kNavy(0, 0, 128);
const wxColour kPaleGreen(204, 255, 204);

wxArrayString SplitLines(const char* text) {
    return wxStringTokenize(wxString::FromUTF8(text), "\n", wxTOKEN_RET_EMPTY_ALL);
}

// Lines of text centred as a block in `area`.
void DrawCentredLines(wxGraphicsContext& gc, const wxArrayString& lines, const wxRect& area) {
    double lineHeight = 0;
    for (const wxString& line : lines) {
        double w, h;
        gc.GetTextExtent(line, &w, &h);
        lineHeight = std::max(lineHeight, h);
    }
    double y = area.y + (area.height - lineHeight * static_cast<double>(lines.size())) / 2.0;
    for (const wxString& line : lines) {
        double w, h;
        gc.GetTextExtent(line, &w, &h);
        gc.DrawText(line, area.x + (area.width - w) / 2.0, y);
        y += lineHeight;
    }
}

// The largest font of the family whose widest line fits in `area`.
wxFont FittingFont(wxGraphicsContext& gc, const wxArrayString& lines, const wxSize& area, wxFontFamily family,
                   int startPixels, const wxColour& colour) {
    for (int pixels = startPixels; pixels > 6; --pixels) {
        wxFont font(wxFontInfo(wxSize(0, pixels)).Family(family).Bold());
        gc.SetFont(font, colour);
        double widest = 0, height = 0;
        for (const wxString& line : lines) {
            double w, h;
            gc.GetTextExtent(line, &w, &h);
            widest = std::max(widest, w);
            height += h;
        }
        if (widest <= area.x && height <= area.y) return font;
    }
    return wxFont(wxFontInfo(wxSize(0, 6)).Family(family).Bold());
}

}  // namespace

wxBitmap DrawToolbarButton(const char* lettering, wxSize size) {
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(kNavy));
    dc.Clear();
    dc.SetPen(wxPen(*wxWHITE, 1));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(2, 2, size.x - 4, size.y - 4);

    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    const wxArrayString lines = SplitLines(lettering);
    const wxRect inside(6, 6, size.x - 12, size.y - 12);
    gc->SetFont(FittingFont(*gc, lines, inside.GetSize(), wxFONTFAMILY_SWISS, 14, *wxWHITE), *wxWHITE);
    DrawCentredLines(*gc, lines, inside);
    gc.reset();
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

wxBitmap DrawBanner(const res::BannerResource& banner, wxSize size) {
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(kPaleGreen));
    dc.Clear();
    // Sunken edge: shadow at the top and left, light at the bottom and right.
    dc.SetPen(wxPen(wxColour(128, 128, 128)));
    dc.DrawLine(0, 0, size.x - 1, 0);
    dc.DrawLine(0, 0, 0, size.y - 1);
    dc.SetPen(*wxWHITE_PEN);
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
    dc.DrawLine(size.x - 1, 0, size.x - 1, size.y);

    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
    const wxColour ink(banner.red, banner.green, banner.blue);
    const wxArrayString lines = SplitLines(banner.words);
    const wxRect inside(4, 2, size.x - 8, size.y - 4);
    gc->SetFont(FittingFont(*gc, lines, inside.GetSize(), wxFONTFAMILY_ROMAN, size.y, ink), ink);
    DrawCentredLines(*gc, lines, inside);
    gc.reset();
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

wxBitmap LoadIconBitmap(int resource, int pixels) {
    const bool small = pixels <= 16;
    if (resource == res::IDR_DOCUMENT) return wxBitmap(small ? document16_xpm : document32_xpm);
    return wxBitmap(small ? kelvara16_xpm : kelvara32_xpm);
}

wxIconBundle LoadIcons(int resource) {
    wxIconBundle icons;
    for (int pixels : {16, 32}) {
        wxIcon icon;
        icon.CopyFromBitmap(LoadIconBitmap(resource, pixels));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace kelvara::app
