#pragma once
// The pictures of Kelvara: toolbar button faces and dialog banners are drawn
// at the size they are shown, so they stay crisp; the icons are pixel art.

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

#include "MainResources.h"

namespace kelvara::app {

// A navy button face with a white rim and the white capital lettering.
wxBitmap DrawToolbarButton(const char* lettering, wxSize size);

// The banner words in bold serif letters on pale green, with a sunken edge.
wxBitmap DrawBanner(const res::BannerResource& banner, wxSize size);

// IDR_MAINFRAME (application) or IDR_DOCUMENT (document): 16 and 32 pixels.
wxIconBundle LoadIcons(int resource);
wxBitmap LoadIconBitmap(int resource, int pixels);

}  // namespace kelvara::app
