#include "ScreenCapture.h"

#include <bit>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace kelvara::screenshots {

namespace {

// One 8-bit colour channel of a pixel, given the channel's mask.
unsigned char Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    const unsigned long maximum = mask >> std::countr_zero(mask);
    return static_cast<unsigned char>(value * 255 / maximum);
}

}  // namespace

std::optional<wxImage> CaptureScreen(const wxRect& wanted) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return std::nullopt;
    // The X server refuses to read outside the screen.
    const int screen = XDefaultScreen(display);
    const wxRect area = wanted.Intersect(wxRect(0, 0, XDisplayWidth(display, screen), XDisplayHeight(display, screen)));
    XImage* shot = area.IsEmpty() ? nullptr
                                  : XGetImage(display, XDefaultRootWindow(display), area.x, area.y,
                                              static_cast<unsigned>(area.width), static_cast<unsigned>(area.height),
                                              ~0UL, ZPixmap);
    std::optional<wxImage> image;
    if (shot != nullptr) {
        image.emplace(area.width, area.height);
        for (int y = 0; y < area.height; ++y) {
            for (int x = 0; x < area.width; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                image->SetRGB(x, y, Channel(pixel, shot->red_mask), Channel(pixel, shot->green_mask),
                              Channel(pixel, shot->blue_mask));
            }
        }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

}  // namespace kelvara::screenshots
