#include "QuickLook.h"

#include <plstream.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvara::plot {

namespace {

constexpr double kHalfHour = 1800.0;
constexpr double kDay = 86400.0;
// A step between two lines longer than this is a missing half hour.
constexpr double kLongestStep = kHalfHour + 60.0;

// The panels' frame as fractions of the picture, PLplot's way: x from the
// left, y from the bottom.
constexpr double kLeft = 0.11, kRight = 0.94, kTop = 0.93, kBottom = 0.08, kPanelGap = 0.018;

enum Colour { kWhite, kBlack, kRed, kBlue, kGreen, kGrey, kLightRed, kDarkGrey, kColours };
constexpr int kPalette[kColours][3] = {{255, 255, 255}, {0, 0, 0},       {200, 30, 30},   {30, 70, 200},
                                       {20, 140, 60},   {215, 215, 215}, {255, 205, 205}, {70, 70, 70}};

struct PanelFrame {
    double bottom, top;
};

PanelFrame FrameOf(int panel) {
    const double height = (kTop - kBottom - (QuickLook::kPanels - 1) * kPanelGap) / QuickLook::kPanels;
    const double top = kTop - panel * (height + kPanelGap);
    return {top - height, top};
}

// Tick steps a time axis may take, and the labels they read.
struct TimeStep {
    double seconds;
    const char* format;
};
constexpr TimeStep kTimeSteps[] = {
    {3600, "%m-%d %H:%M"},      {2 * 3600, "%m-%d %H:%M"}, {3 * 3600, "%m-%d %H:%M"}, {6 * 3600, "%m-%d %H:%M"},
    {12 * 3600, "%m-%d %H:%M"}, {kDay, "%Y-%m-%d"},        {2 * kDay, "%Y-%m-%d"},    {7 * kDay, "%Y-%m-%d"},
    {14 * kDay, "%Y-%m-%d"},    {28 * kDay, "%Y-%m-%d"},   {91 * kDay, "%Y-%m-%d"},   {182 * kDay, "%Y-%m-%d"},
    {364 * kDay, "%Y-%m-%d"},
};

// The finest step whose labels do not crowd each other.
TimeStep StepFor(double span, int width) {
    const double labels = std::max(2.0, width / 170.0);
    for (const TimeStep& step : kTimeSteps) {
        if (span / step.seconds <= labels) return step;
    }
    return kTimeSteps[std::size(kTimeSteps) - 1];
}

struct Range {
    double low, high;
};

// The span of the finite values with a margin; a flat or empty series gets
// a sensible one.
Range RangeOf(const std::vector<const std::vector<double>*>& series) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (const auto* values : series) {
        for (double value : *values) {
            if (!std::isfinite(value)) continue;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (low > high) return {0.0, 1.0};
    if (low == high) {
        const double pad = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
        return {low - pad, high + pad};
    }
    const double pad = (high - low) * 0.06;
    return {low - pad, high + pad};
}

}  // namespace

// One drawing of the picture on one PLplot stream.
class QuickLook::Drawing {
public:
    Drawing(const QuickLook& look, plstream& pls, PictureSize size) : look_(look), pls_(pls), size_(size) {
        for (const HalfHourRow& row : look.table_.rows) {
            time_.push_back(row.time);
            ustar_.push_back(row.ustar);
            h_.push_back(row.h);
            le_.push_back(row.le);
            fc_.push_back(row.fc);
            records_.push_back(row.records);
        }
    }

    void Draw() {
        pls_.adv(0);
        // Letters grow with the picture, within what stays legible and fits.
        pls_.schr(0.0, std::clamp(std::min(size_.height / 900.0, size_.width / 1200.0), 0.45, 1.0) * 0.7);
        const bool standard = look_.table_.kind == ResultsKind::Standard;
        Panel(0, {&ustar_}, "u#d*#u (m s#u-1#d)");
        Series(ustar_, kBlack);
        Panel(1, {&h_, &le_}, "W m#u-2#d");
        Series(h_, kRed);
        Series(le_, kBlue);
        Legend({{standard ? "H" : "Hs", kRed}, {standard ? "LE" : "LE_leuning", kBlue}});
        Panel(2, {&fc_}, "#gmmol m#u-2#d s#u-1#d");
        Series(fc_, kGreen);
        Legend({{standard ? "Fc" : "Fc_leuning", kGreen}});
        Panel(3, {&records_}, "Records (count)");
        MarkRejected();
        Series(records_, kDarkGrey);
        Title();
    }

private:
    struct Key {
        const char* name;
        Colour colour;
    };

    void Panel(int panel, const std::vector<const std::vector<double>*>& series, const char* label) {
        const PanelFrame frame = FrameOf(panel);
        range_ = RangeOf(series);
        pls_.vpor(kLeft, kRight, frame.bottom, frame.top);
        pls_.wind(look_.start_, look_.end_, range_.low, range_.high);
        const TimeStep step = StepFor(look_.end_ - look_.start_, size_.width);
        pls_.timefmt(step.format);
        pls_.col0(kGrey);
        pls_.box("g", step.seconds, 0, "g", 0, 0);
        pls_.col0(kBlack);
        pls_.box(panel == kPanels - 1 ? "bcnstd" : "bcstd", step.seconds, 0, "bcnstvf", 0, 0);
        pls_.mtex("l", 6.0, 0.5, 0.5, label);
    }

    // Lines through consecutive half hours only: a rejected or missing one
    // breaks the line.
    void Series(const std::vector<double>& values, Colour colour) {
        pls_.col0(colour);
        pls_.width(1.6);
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= values.size(); ++i) {
            const bool breaks = i == values.size() || !std::isfinite(values[i]) ||
                                (i > begin && time_[i] - time_[i - 1] > kLongestStep);
            if (!breaks) continue;
            DrawRun(values, begin, i);
            begin = i == values.size() || std::isfinite(values[i]) ? i : i + 1;
        }
        pls_.width(1.0);
    }

    void DrawRun(const std::vector<double>& values, std::size_t begin, std::size_t end) {
        const auto count = static_cast<PLINT>(end - begin);
        if (count >= 2) pls_.line(count, &time_[begin], &values[begin]);
        // A lone half hour between gaps still shows.
        if (count == 1) pls_.poin(1, &time_[begin], &values[begin], 17);
    }

    // A light band over each rejected half hour, drawn under the line.
    void MarkRejected() {
        pls_.col0(kLightRed);
        for (const HalfHourRow& row : look_.table_.rows) {
            if (!row.rejected) continue;
            PLFLT x[4] = {row.time - kHalfHour, row.time, row.time, row.time - kHalfHour};
            PLFLT y[4] = {range_.low, range_.low, range_.high, range_.high};
            pls_.fill(4, x, y);
        }
        pls_.col0(kBlack);
        pls_.box("bc", 0, 0, "bc", 0, 0);
    }

    void Legend(const std::vector<Key>& keys) {
        double along = 0.01;
        for (const Key& key : keys) {
            pls_.col0(key.colour);
            pls_.mtex("t", -1.4, along, 0.0, key.name);
            along += 0.015 * (static_cast<double>(std::string_view(key.name).size()) + 2.0) * 900.0 / size_.width;
        }
        pls_.col0(kBlack);
    }

    void Title() {
        pls_.vpor(kLeft, kRight, kTop, 1.0);
        pls_.wind(0.0, 1.0, 0.0, 1.0);
        pls_.col0(kBlack);
        pls_.ptex(0.5, 0.5, 1.0, 0.0, 0.5, look_.title_.c_str());
    }

    const QuickLook& look_;
    plstream& pls_;
    PictureSize size_;
    std::vector<double> time_, ustar_, h_, le_, fc_, records_;
    Range range_{0.0, 1.0};
};

namespace {

void SetUpStream(plstream& pls, PictureSize size) {
    pls.spage(0.0, 0.0, size.width, size.height, 0, 0);
    for (int colour = 0; colour < kColours; ++colour) {
        pls.scol0(colour, kPalette[colour][0], kPalette[colour][1], kPalette[colour][2]);
    }
    // Escapes such as #u and #d only; '#' has no other use in the labels.
    pls.init();
}

}  // namespace

QuickLook::QuickLook(ResultsTable table, std::string title) : table_(std::move(table)), title_(std::move(title)) {
    if (table_.rows.empty()) return;
    start_ = table_.rows.front().time - kHalfHour;
    end_ = table_.rows.back().time;
}

std::vector<unsigned char> QuickLook::DrawRgb(PictureSize size) const {
    const auto pixels = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    // memcairo draws over what the buffer holds, four bytes a pixel.
    std::vector<unsigned char> rgba(pixels * 4, 255);
    {
        plstream pls;
        pls.sdev("memcairo");
        pls.smema(size.width, size.height, rgba.data());
        SetUpStream(pls, size);
        Drawing(*this, pls, size).Draw();
    }
    std::vector<unsigned char> rgb(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) std::copy_n(&rgba[i * 4], 3, &rgb[i * 3]);
    return rgb;
}

void QuickLook::Write(const std::filesystem::path& file, PictureFormat format, PictureSize size) const {
    plstream pls;
    pls.sdev(format == PictureFormat::Png ? "pngcairo" : "svgcairo");
    pls.sfnam(file.string().c_str());
    SetUpStream(pls, size);
    Drawing(*this, pls, size).Draw();
}

int QuickLook::ColumnOf(double time, int width) const {
    const double along = (time - start_) / (end_ - start_);
    return static_cast<int>(std::lround((kLeft + along * (kRight - kLeft)) * width));
}

std::pair<int, int> QuickLook::RowsOfPanel(int panel, int height) const {
    const PanelFrame frame = FrameOf(panel);
    return {static_cast<int>(std::lround((1.0 - frame.top) * height)),
            static_cast<int>(std::lround((1.0 - frame.bottom) * height))};
}

}  // namespace kelvara::plot
