#pragma once
// A rectangle of the X display as it shows it, read from the X server.

#include <optional>

#include <wx/gdicmn.h>
#include <wx/image.h>

namespace kelvara::screenshots {

// The part of `wanted` that is on the screen; nothing when there is no X
// display or no such part.
std::optional<wxImage> CaptureScreen(const wxRect& wanted);

}  // namespace kelvara::screenshots
