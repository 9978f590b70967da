#pragma once
// The quick look at results: four stacked panels over one time axis (u*,
// H with LE, Fc, Records), drawn with PLplot. Rejected half hours are gaps
// with a light band on the Records panel; missing half hours are gaps.

#include <filesystem>
#include <string>
#include <vector>

#include "ResultsTable.h"

namespace kelvara::plot {

struct PictureSize {
    int width = 1200;
    int height = 900;
};

inline constexpr int kMinimumPictureSide = 200;
inline constexpr int kMaximumPictureSide = 10000;

enum class PictureFormat { Png, Svg };

class QuickLook {
public:
    // table must hold at least one half hour.
    QuickLook(ResultsTable table, std::string title);

    // The picture as 8-bit RGB, row by row from the top.
    std::vector<unsigned char> DrawRgb(PictureSize size) const;
    // Writes the picture to file (created or replaced as it stands).
    void Write(const std::filesystem::path& file, PictureFormat format, PictureSize size) const;

    // Where a time lies across a picture of the given width, in pixels.
    int ColumnOf(double time, int width) const;
    // The rows panel (0 to 3, top to bottom) covers in a picture of the
    // given height: first and last.
    std::pair<int, int> RowsOfPanel(int panel, int height) const;

    static constexpr int kPanels = 4;

private:
    class Drawing;

    ResultsTable table_;
    std::string title_;
    double start_ = 0.0, end_ = 0.0;  // the time axis
};

}  // namespace kelvara::plot
