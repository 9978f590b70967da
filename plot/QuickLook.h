#pragma once
// The quick look at results: four stacked panels over one time axis (u*,
// H with LE, Fc, Records), drawn with PLplot. Each value is drawn at the
// middle of its half hour. Rejected half hours are gaps with a light band on
// the Records panel; missing half hours are gaps; a half hour between gaps
// is a dot. Several lines (PlotSeries.h) are told apart by their dashes.
// A corrected file's values flagged 2 (do not use) carry an orange cross.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "PlotLayout.h"
#include "PlotSeries.h"
#include "ResultsTable.h"

namespace kelvara::plot {

inline constexpr int kMinimumPictureSide = 200;
inline constexpr int kMaximumPictureSide = 10000;

enum class PictureFormat { Png, Svg };

class QuickLook {
public:
    // One line; table must hold at least one half hour.
    QuickLook(ResultsTable table, std::string title);
    // Each series must hold at least one half hour; there is at least one
    // and at most kMostSeries. The title names them all.
    explicit QuickLook(std::vector<PlotSeries> series);

    // The picture as 8-bit RGB, row by row from the top.
    std::vector<unsigned char> DrawRgb(PictureSize size) const;
    // The bytes of the picture file, drawn whole; empty when the drawing
    // could not be made.
    std::string Encode(PictureFormat format, PictureSize size) const;

    // Where everything goes in a picture of this size.
    PlotLayout Layout(PictureSize size) const;
    // Where a time lies across a picture of this size, in pixels.
    int ColumnOf(double time, PictureSize size) const;
    // The rows a panel (0 to 3, top to bottom) covers: first and last.
    std::pair<int, int> RowsOfPanel(int panel, PictureSize size) const;

    static constexpr int kPanels = plot::kPanels;

private:
    class Drawing;

    struct Marks {
        std::vector<double> time, value;
    };
    // A line's values, each at the middle of its half hour.
    struct Columns {
        std::vector<double> time, ustar, h, le, fc, records;
        std::vector<std::pair<double, double>> rejected;  // start and end of each rejected half hour
        Marks badUstar, badH, badLE, badFc;               // the values flagged 2
    };

    std::array<PanelContent, kPanels> Panels() const;

    std::vector<PlotSeries> series_;
    std::vector<Columns> columns_;
    std::string title_;
    double first_ = 0.0, last_ = 0.0;  // end times of the first and last half hour
    bool anyFlagged_ = false;
};

}  // namespace kelvara::plot
