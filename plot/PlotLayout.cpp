#include "PlotLayout.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kelvara::plot {

namespace {

constexpr double kHalfHour = 1800.0;
constexpr double kDay = 86400.0;

// Letters at 1200 x 900 pixels; they grow and shrink with the picture, but
// never below what stays legible.
constexpr double kLetterAtDefaultSize = 14.7;
constexpr double kSmallestLetter = 8.0;
// A digit's and another character's width, as a share of the letter height
// (measured on the cairo drivers' sans font, with a little to spare).
constexpr double kDigitWidth = 0.82, kCharacterWidth = 0.74;

// Bands, in letter heights.
constexpr double kTitleBand = 2.6;      // the title or the lines' key, above the first panel
constexpr double kLegendBand = 2.4;     // above each panel: its legend (and superscripts)
constexpr double kTimeLabelBand = 3.0;  // below the last panel
constexpr double kTickLabelGap = 0.5;   // frame to tick label
constexpr double kTitleGap = 0.6;       // tick label to axis title
constexpr double kAxisTitle = 2.1;      // an axis title's thickness, super- and subscripts included
constexpr double kOuterMargin = 0.4;
// Labelled ticks stay at least this far apart.
constexpr double kTickSpacing = 2.0;
constexpr int kMostTicks = 6;

constexpr TimeStep kTimeSteps[] = {
    {kHalfHour, "%m-%d %H:%M"}, {3600, "%m-%d %H:%M"},      {2 * 3600, "%m-%d %H:%M"}, {3 * 3600, "%m-%d %H:%M"},
    {6 * 3600, "%m-%d %H:%M"},  {12 * 3600, "%m-%d %H:%M"}, {kDay, "%Y-%m-%d"},        {2 * kDay, "%Y-%m-%d"},
    {7 * kDay, "%Y-%m-%d"},     {14 * kDay, "%Y-%m-%d"},    {28 * kDay, "%Y-%m-%d"},   {91 * kDay, "%Y-%m-%d"},
    {182 * kDay, "%Y-%m-%d"},   {364 * kDay, "%Y-%m-%d"},
};
// The widest time label either format gives.
constexpr const char* kWidestTimeLabel = "06-01 00:00";

// The finest step whose labels keep a gap of three letters between them.
TimeStep StepFor(double span, double plotWidth, double letter) {
    const double room = TextWidth(kWidestTimeLabel, letter) + 3.0 * letter;
    for (const TimeStep& step : kTimeSteps) {
        if (step.seconds / span * plotWidth >= room) return step;
    }
    return kTimeSteps[std::size(kTimeSteps) - 1];
}

}  // namespace

double LetterHeight(PictureSize size) {
    const double scale = std::min(size.height / 900.0, size.width / 1200.0);
    return std::max(kSmallestLetter, kLetterAtDefaultSize * scale);
}

double TextWidth(std::string_view text, double letter) {
    double widthInLetters = 0.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) continue;  // inside a UTF-8 character
        // PLplot's escapes: ## is one #, #u, #d and #g<letter> draw less or nothing.
        if (byte == '#' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'u' || next == 'd') {
                ++i;
                continue;
            }
            if (next == 'g' || next == '#') ++i;
        }
        widthInLetters += (byte >= '0' && byte <= '9') ? kDigitWidth : kCharacterWidth;
    }
    return widthInLetters * letter;
}

std::pair<double, double> PlotLayout::PanelFrame(int panel) const {
    const double panelTop = top - panel * (panelHeight + panelGap);
    return {panelTop - panelHeight, panelTop};
}

PlotLayout LayoutFor(PictureSize size, const std::array<PanelContent, kPanels>& panels, double first, double last) {
    PlotLayout layout;
    const double letter = LetterHeight(size);
    const double width = size.width, height = size.height;
    layout.letter = letter;

    // Top to bottom: the title, then each panel under its legend, then the
    // time labels.
    const double topBand = (kTitleBand + kLegendBand) * letter, bottomBand = kTimeLabelBand * letter;
    const double gap = kLegendBand * letter;
    const double panelPixels = std::max(letter, (height - topBand - bottomBand - (kPanels - 1) * gap) / kPanels);
    layout.titleBand = kTitleBand * letter;
    layout.top = 1.0 - topBand / height;
    layout.bottom = bottomBand / height;
    layout.panelHeight = panelPixels / height;
    layout.panelGap = gap / height;

    const int ticks = std::clamp(static_cast<int>(panelPixels / (kTickSpacing * letter)), 2, kMostTicks);
    std::size_t widest = 0;
    for (std::size_t panel = 0; panel < panels.size(); ++panel) {
        layout.axes[panel] = ValueAxisFor(panels[panel].series, panels[panel].values, ticks);
        widest = std::max(widest, WidestLabel(layout.axes[panel]));
        // A title along its axis may reach into the bands beside the panel,
        // as far as keeps it clear of the next panel's title.
        layout.titlesAbove = layout.titlesAbove || TextWidth(panels[panel].title, letter) > panelPixels + gap - letter;
    }

    // Left to right: the axis titles, the tick labels, the panels; a time
    // label centred on the frame's edge must still fit on either side.
    layout.tickLabelOffset = kTickLabelGap;
    const double labelLetters = static_cast<double>(widest) * kDigitWidth;
    layout.axisTitleOffset = kTickLabelGap + labelLetters + kTitleGap + kAxisTitle / 2.0;
    const double halfTimeLabel = TextWidth(kWidestTimeLabel, letter) / 2.0 + kOuterMargin * letter;
    const double besideAxis =
        layout.titlesAbove ? kTickLabelGap + labelLetters : layout.axisTitleOffset + kAxisTitle / 2.0;
    const double leftPixels = std::max((besideAxis + kOuterMargin) * letter, halfTimeLabel);
    const double rightPixels = std::max(halfTimeLabel, 1.5 * letter);
    layout.left = std::min(leftPixels / width, 0.6);
    layout.right = std::max(1.0 - rightPixels / width, layout.left + 0.1);

    // The half hours' middles lie a quarter hour inside the frame; a lone
    // half hour's marker must lie wholly inside even on a long axis.
    layout.start = first - kHalfHour;
    layout.end = last;
    const double plotWidth = (layout.right - layout.left) * width;
    const double clearance = layout.MarkerRadius() + 0.3 * letter;
    const double inside = kHalfHour / 2.0 / (layout.end - layout.start) * plotWidth;
    if (inside < clearance) {
        const double pad = (clearance - inside) / plotWidth * (layout.end - layout.start) * 1.1;
        layout.start -= pad;
        layout.end += pad;
    }
    layout.timeStep = StepFor(layout.end - layout.start, plotWidth, letter);
    return layout;
}

}  // namespace kelvara::plot
