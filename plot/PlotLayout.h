#pragma once
// Where everything of the quick look goes, worked out in letter heights
// before anything is drawn: the labels are known, so each one gets room of
// its own and none runs into another or off the picture.

#include <array>
#include <string>
#include <vector>

#include "ValueAxis.h"

namespace kelvara::plot {

inline constexpr int kPanels = 4;

struct PictureSize {
    int width = 1200;
    int height = 900;
};

// A time axis's tick step and the labels it reads.
struct TimeStep {
    double seconds;
    const char* format;  // strftime's
};

// What the layout needs to know of a panel: its values and its axis title
// (in PLplot's text escapes).
struct PanelContent {
    std::vector<const std::vector<double>*> series;
    AxisValues values = AxisValues::Real;
    const char* title = "";
};

struct PlotLayout {
    double letter = 14.0;  // the letter height, in pixels
    // The panels' frame, as fractions of the picture, PLplot's way: x from
    // the left, y from the bottom.
    double left = 0.1, right = 0.9, top = 0.9, bottom = 0.1;
    double panelHeight = 0.2, panelGap = 0.02;
    double titleBand = 30.0;        // the band at the top for the title or the lines' key, in pixels
    double axisTitleOffset = 3.0;   // from the frame to the middle of an axis title, in letters
    double tickLabelOffset = 0.5;   // from the frame to the end of a tick label, in letters
    double start = 0.0, end = 1.0;  // the time axis
    TimeStep timeStep{3600, "%m-%d %H:%M"};
    std::array<ValueAxis, kPanels> axes;
    // When an axis title is longer than a panel is high, every axis title
    // is written above its panel instead of along the axis.
    bool titlesAbove = false;

    // Bottom and top of a panel (0 to 3, top to bottom), as fractions.
    std::pair<double, double> PanelFrame(int panel) const;
    // The radius of a lone half hour's marker, in pixels.
    double MarkerRadius() const { return 0.32 * letter; }
};

// The layout of a picture of this size. first and last are the end times
// of the first and last half hour drawn.
PlotLayout LayoutFor(PictureSize size, const std::array<PanelContent, kPanels>& panels, double first, double last);

// The letter height, in pixels, of a picture of this size.
double LetterHeight(PictureSize size);

// About how wide a text is, in pixels, at this letter height.
double TextWidth(std::string_view text, double letter);

}  // namespace kelvara::plot
