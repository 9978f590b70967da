#include "QuickLook.h"

#include <plstream.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace kelvara::plot {

namespace {

constexpr double kHalfHour = 1800.0;
// A step between two half hours longer than this is a missing half hour.
constexpr double kLongestStep = kHalfHour + 60.0;
// PLplot's sizes are in millimetres; the cairo drivers draw 72 pixels an inch.
constexpr double kMillimetresPerPixel = 25.4 / 72.0;
// The middle of a legend above its panel, in letter heights.
constexpr double kLegendRaise = 0.75;

enum Colour { kWhite, kBlack, kRed, kBlue, kGreen, kGrey, kLightRed, kDarkGrey, kOrange, kColours };
constexpr int kPalette[kColours][3] = {{255, 255, 255}, {0, 0, 0},       {200, 30, 30}, {30, 70, 200}, {20, 140, 60},
                                       {215, 215, 215}, {255, 205, 205}, {70, 70, 70},  {240, 130, 0}};
// The key of the crosses over half hours flagged 2.
constexpr const char* kFlagKey = "\u00d7 flag 2";
// Each panel's axis title, top to bottom, in PLplot's escapes.
constexpr const char* kAxisTitles[kPanels] = {"u#d*#u (m s#u-1#d)", "W m#u-2#d", "#gmmol m#u-2#d s#u-1#d",
                                              "Records (count)"};
// PLplot's line styles, one per line of the picture: solid, then dashes
// that stay apart in print.
constexpr int kLineStyles[kMostSeries] = {1, 3, 2, 4};

// User texts (file names) drawn as they are: '#' is PLplot's escape.
std::string Literal(std::string_view text) {
    std::string literal;
    for (char c : text) {
        literal += c;
        if (c == '#') literal += '#';
    }
    return literal;
}

// The text, or its start and end around "..." when it is wider than room.
std::string Fitted(const std::string& text, double room, double letter) {
    if (TextWidth(text, letter) <= room) return text;
    std::size_t keep = text.size();
    while (keep > 0) {
        --keep;
        std::size_t head = keep / 2, tail = keep - head;
        // Cut between UTF-8 characters only.
        while (head > 0 && (static_cast<unsigned char>(text[head]) & 0xC0) == 0x80) --head;
        while (tail > 0 && (static_cast<unsigned char>(text[text.size() - tail]) & 0xC0) == 0x80) --tail;
        const std::string shortened = text.substr(0, head) + "..." + text.substr(text.size() - tail);
        if (TextWidth(shortened, letter) <= room) return shortened;
    }
    return "...";
}

bool IsWholePicture(const std::string& bytes, PictureFormat format) {
    if (format == PictureFormat::Png) {
        static constexpr char kEnd[] = "IEND\xAE\x42\x60\x82";
        return bytes.starts_with("\x89PNG") && bytes.ends_with(std::string_view(kEnd, sizeof kEnd - 1));
    }
    const std::string_view text(bytes);
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.starts_with("<?xml") && last != std::string_view::npos && text.substr(0, last + 1).ends_with("</svg>");
}

struct Key {
    std::string name;
    Colour colour;
};

// What tells a line apart from lines of other methods in the key.
const char* KindNote(ResultsKind kind) {
    switch (kind) {
        case ResultsKind::Standard:
            return " (standard)";
        case ResultsKind::Flux:
            return " (corrected)";
        case ResultsKind::Default:
            break;
    }
    return " (default)";
}

}  // namespace

// One drawing of the picture on one PLplot stream.
class QuickLook::Drawing {
public:
    Drawing(const QuickLook& look, plstream& pls, PictureSize size)
        : look_(look), pls_(pls), size_(size), layout_(look.Layout(size)) {}

    void Draw() {
        pls_.adv(0);
        pls_.schr(layout_.letter * kMillimetresPerPixel, 1.0);
        const bool oneKind = std::all_of(look_.series_.begin(), look_.series_.end(),
                                         [&](const PlotSeries& s) { return s.kind == look_.series_.front().kind; });
        const bool plain = !oneKind || look_.series_.front().kind != ResultsKind::Default;
        const std::vector<Key> flagKey = look_.anyFlagged_ ? std::vector<Key>{{kFlagKey, kOrange}} : std::vector<Key>{};

        Panel(0);
        ForEachSeries([&](const Columns& c) { Series(c, c.ustar, kBlack); });
        ForEachSeries([&](const Columns& c) { MarkFlagged(c.badUstar); });
        Legend(flagKey);
        Panel(1);
        ForEachSeries([&](const Columns& c) {
            Series(c, c.h, kRed);
            Series(c, c.le, kBlue);
        });
        ForEachSeries([&](const Columns& c) {
            MarkFlagged(c.badH);
            MarkFlagged(c.badLE);
        });
        std::vector<Key> keys{{plain ? "H" : "Hs", kRed}, {plain ? "LE" : "LE_leuning", kBlue}};
        keys.insert(keys.end(), flagKey.begin(), flagKey.end());
        Legend(keys);
        Panel(2);
        ForEachSeries([&](const Columns& c) { Series(c, c.fc, kGreen); });
        ForEachSeries([&](const Columns& c) { MarkFlagged(c.badFc); });
        keys = {{plain ? "Fc" : "Fc_leuning", kGreen}};
        keys.insert(keys.end(), flagKey.begin(), flagKey.end());
        Legend(keys);
        Panel(3);
        MarkRejected();
        ForEachSeries([&](const Columns& c) { Series(c, c.records, kDarkGrey); });
        if (look_.series_.size() == 1) {
            Title();
        } else {
            SeriesKey(oneKind);
        }
    }

private:
    template <typename Draw>
    void ForEachSeries(Draw draw) {
        for (std::size_t s = 0; s < look_.columns_.size(); ++s) {
            style_ = kLineStyles[s];
            draw(look_.columns_[s]);
        }
        style_ = 1;
        pls_.lsty(1);
    }

    void Panel(int panel) {
        panel_ = panel;
        const char* title = kAxisTitles[panel];
        const auto [bottom, top] = layout_.PanelFrame(panel);
        const ValueAxis& axis = layout_.axes[static_cast<std::size_t>(panel)];
        pls_.vpor(layout_.left, layout_.right, bottom, top);
        pls_.wind(layout_.start, layout_.end, axis.low, axis.high);
        pls_.timefmt(layout_.timeStep.format);
        pls_.col0(kGrey);
        pls_.box("g", layout_.timeStep.seconds, 0, "g", axis.step, axis.minorTicks);
        pls_.col0(kBlack);
        pls_.box(panel == kPanels - 1 ? "bcnstd" : "bcstd", layout_.timeStep.seconds, 0, "bcst", axis.step,
                 axis.minorTicks);
        // The tick labels are written here, not by PLplot, so that the
        // layout knows how wide they are.
        for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
            const double along = (axis.ticks[i] - axis.low) / (axis.high - axis.low);
            pls_.mtex("lv", layout_.tickLabelOffset, along, 1.0, axis.labels[i].c_str());
        }
        legendStart_ = 0.0;
        if (!layout_.titlesAbove) {
            pls_.mtex("l", layout_.axisTitleOffset, 0.5, 0.5, title);
            return;
        }
        // Over the frame, clear of the tick labels at its left; the legend
        // follows it.
        pls_.mtex("t", kLegendRaise, 0.0, 0.0, title);
        const double frameWidth = (layout_.right - layout_.left) * size_.width;
        legendStart_ = (TextWidth(title, layout_.letter) + 1.5 * layout_.letter) / frameWidth;
    }

    // Lines through consecutive half hours only: a rejected or missing one
    // breaks the line.
    void Series(const Columns& columns, const std::vector<double>& values, Colour colour) {
        pls_.col0(colour);
        pls_.width(1.6);
        pls_.lsty(style_);
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= values.size(); ++i) {
            const bool breaks = i == values.size() || !std::isfinite(values[i]) ||
                                (i > begin && columns.time[i] - columns.time[i - 1] > kLongestStep);
            if (!breaks) continue;
            DrawRun(columns.time, values, begin, i);
            begin = i == values.size() || std::isfinite(values[i]) ? i : i + 1;
        }
        pls_.width(1.0);
        pls_.lsty(1);
    }

    void DrawRun(const std::vector<double>& time, const std::vector<double>& values, std::size_t begin,
                 std::size_t end) {
        const auto count = static_cast<PLINT>(end - begin);
        if (count >= 2) pls_.line(count, &time[begin], &values[begin]);
        if (count == 1) Dot(time[begin], values[begin]);
    }

    // A lone half hour between gaps: a filled dot, a few pixels across.
    void Dot(double time, double value) {
        const ValueAxis& axis = layout_.axes[static_cast<std::size_t>(panel_)];
        const auto [bottom, top] = layout_.PanelFrame(panel_);
        const double radius = layout_.MarkerRadius();
        const double xScale = (layout_.end - layout_.start) / ((layout_.right - layout_.left) * size_.width);
        const double yScale = (axis.high - axis.low) / ((top - bottom) * size_.height);
        constexpr int kCorners = 20;
        PLFLT x[kCorners], y[kCorners];
        for (int k = 0; k < kCorners; ++k) {
            const double angle = 2.0 * std::numbers::pi * k / kCorners;
            x[k] = time + radius * std::cos(angle) * xScale;
            y[k] = value + radius * std::sin(angle) * yScale;
        }
        pls_.lsty(1);
        pls_.fill(kCorners, x, y);
        pls_.lsty(style_);
    }

    // A cross over each value flagged 2, a little wider than a lone dot.
    void MarkFlagged(const Marks& marks) {
        if (marks.time.empty()) return;
        const ValueAxis& axis = layout_.axes[static_cast<std::size_t>(panel_)];
        const auto [bottom, top] = layout_.PanelFrame(panel_);
        const double arm = 1.4 * layout_.MarkerRadius();
        const double xArm = arm * (layout_.end - layout_.start) / ((layout_.right - layout_.left) * size_.width);
        const double yArm = arm * (axis.high - axis.low) / ((top - bottom) * size_.height);
        pls_.col0(kOrange);
        pls_.width(1.6);
        pls_.lsty(1);
        for (std::size_t i = 0; i < marks.time.size(); ++i) {
            const double t = marks.time[i], v = marks.value[i];
            pls_.join(t - xArm, v - yArm, t + xArm, v + yArm);
            pls_.join(t - xArm, v + yArm, t + xArm, v - yArm);
        }
        pls_.width(1.0);
        pls_.lsty(style_);
    }

    // A light band over each rejected half hour, drawn under the lines.
    void MarkRejected() {
        const ValueAxis& axis = layout_.axes[static_cast<std::size_t>(panel_)];
        pls_.col0(kLightRed);
        for (const Columns& columns : look_.columns_) {
            for (const auto& [start, end] : columns.rejected) {
                PLFLT x[4] = {start, end, end, start};
                PLFLT y[4] = {axis.low, axis.low, axis.high, axis.high};
                pls_.fill(4, x, y);
            }
        }
        pls_.col0(kBlack);
        pls_.box("bc", 0, 0, "bc", 0, 0);
    }

    // The panel's names and colours, in the band above it.
    void Legend(const std::vector<Key>& keys) {
        const double frameWidth = (layout_.right - layout_.left) * size_.width;
        double along = legendStart_;
        for (const Key& key : keys) {
            pls_.col0(key.colour);
            pls_.mtex("t", kLegendRaise, along, 0.0, key.name.c_str());
            along += (TextWidth(key.name, layout_.letter) + 1.5 * layout_.letter) / frameWidth;
        }
        pls_.col0(kBlack);
    }

    // The band above the panels, in pixels from its bottom left.
    void TitleBand() {
        pls_.vpor(0.0, 1.0, 1.0 - layout_.titleBand / size_.height, 1.0);
        pls_.wind(0.0, size_.width, 0.0, layout_.titleBand);
        pls_.col0(kBlack);
    }

    void Title() {
        TitleBand();
        const double room = size_.width - 2.0 * layout_.letter;
        const std::string title = Literal(Fitted(look_.title_, room, layout_.letter));
        pls_.ptex(size_.width / 2.0, layout_.titleBand / 2.0, 1.0, 0.0, 0.5, title.c_str());
    }

    // One sample of each line's dashes with the files it draws.
    void SeriesKey(bool oneKind) {
        TitleBand();
        const double letter = layout_.letter, sample = 2.6 * letter, space = 1.6 * letter;
        const double middle = layout_.titleBand / 2.0;
        std::vector<std::string> names;
        for (const PlotSeries& series : look_.series_) {
            std::string name = series.name;
            if (!oneKind) name += KindNote(series.kind);
            names.push_back(name);
        }
        // Each name gets an equal share of what the samples leave.
        const double count = static_cast<double>(names.size());
        const double room = (size_.width - 2.0 * letter) / count - sample - 2.0 * space;
        double total = 0.0;
        for (std::string& name : names) {
            name = Fitted(name, room, letter);
            total += sample + 0.5 * letter + TextWidth(name, letter);
        }
        total += space * (count - 1.0);
        double x = std::max(letter, (size_.width - total) / 2.0);
        for (std::size_t s = 0; s < names.size(); ++s) {
            pls_.col0(kDarkGrey);
            pls_.width(1.6);
            pls_.lsty(kLineStyles[s]);
            PLFLT lineX[2] = {x, x + sample}, lineY[2] = {middle, middle};
            pls_.line(2, lineX, lineY);
            pls_.lsty(1);
            pls_.width(1.0);
            pls_.col0(kBlack);
            x += sample + 0.5 * letter;
            pls_.ptex(x, middle, 1.0, 0.0, 0.0, Literal(names[s]).c_str());
            x += TextWidth(names[s], letter) + space;
        }
    }

    const QuickLook& look_;
    plstream& pls_;
    PictureSize size_;
    PlotLayout layout_;
    int panel_ = 0;
    int style_ = 1;
    double legendStart_ = 0.0;  // where the panel's legend starts, as a share of the frame's width
};

namespace {

void SetUpStream(plstream& pls, PictureSize size) {
    pls.spage(0.0, 0.0, size.width, size.height, 0, 0);
    for (int colour = 0; colour < kColours; ++colour) {
        pls.scol0(colour, kPalette[colour][0], kPalette[colour][1], kPalette[colour][2]);
    }
    pls.init();
}

std::vector<PlotSeries> OneSeries(ResultsTable table, std::string title) {
    std::vector<PlotSeries> series(1);
    series.front().name = std::move(title);
    series.front().kind = table.kind;
    series.front().rows = std::move(table.rows);
    return series;
}

}  // namespace

QuickLook::QuickLook(ResultsTable table, std::string title)
    : QuickLook(OneSeries(std::move(table), std::move(title))) {}

QuickLook::QuickLook(std::vector<PlotSeries> series) : series_(std::move(series)) {
    bool any = false;
    for (const PlotSeries& line : series_) {
        Columns columns;
        for (const HalfHourRow& row : line.rows) {
            const double middle = row.time - kHalfHour / 2.0;
            const auto mark = [middle](Marks& marks, bool bad, double value) {
                if (!bad || !std::isfinite(value)) return;
                marks.time.push_back(middle);
                marks.value.push_back(value);
            };
            mark(columns.badUstar, row.badTau, row.ustar);
            mark(columns.badH, row.badH, row.h);
            mark(columns.badLE, row.badLE, row.le);
            mark(columns.badFc, row.badFc, row.fc);
            anyFlagged_ = anyFlagged_ || row.badTau || row.badH || row.badLE || row.badFc;
            columns.time.push_back(middle);
            columns.ustar.push_back(row.ustar);
            columns.h.push_back(row.h);
            columns.le.push_back(row.le);
            columns.fc.push_back(row.fc);
            columns.records.push_back(row.records);
            if (row.rejected) columns.rejected.emplace_back(row.time - kHalfHour, row.time);
        }
        if (!line.rows.empty()) {
            first_ = any ? std::min(first_, line.rows.front().time) : line.rows.front().time;
            last_ = any ? std::max(last_, line.rows.back().time) : line.rows.back().time;
            any = true;
        }
        columns_.push_back(std::move(columns));
        title_ += (title_.empty() ? "" : ", ") + line.name;
    }
}

std::array<PanelContent, kPanels> QuickLook::Panels() const {
    std::array<PanelContent, kPanels> panels;
    for (const Columns& columns : columns_) {
        panels[0].series.push_back(&columns.ustar);
        panels[1].series.push_back(&columns.h);
        panels[1].series.push_back(&columns.le);
        panels[2].series.push_back(&columns.fc);
        panels[3].series.push_back(&columns.records);
    }
    panels[3].values = AxisValues::Counts;
    for (std::size_t panel = 0; panel < panels.size(); ++panel) panels[panel].title = kAxisTitles[panel];
    return panels;
}

PlotLayout QuickLook::Layout(PictureSize size) const { return LayoutFor(size, Panels(), first_, last_); }

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

std::string QuickLook::Encode(PictureFormat format, PictureSize size) const {
    // PLplot writes the file through a stream it closes itself, unchecked:
    // it writes into memory here, and the caller writes the bytes to the
    // file checking each step.
    char* data = nullptr;
    std::size_t length = 0;
    std::FILE* memory = open_memstream(&data, &length);
    if (memory == nullptr) return {};
    {
        plstream pls;
        pls.sdev(format == PictureFormat::Png ? "pngcairo" : "svgcairo");
        pls.sfile(memory);
        SetUpStream(pls, size);
        Drawing(*this, pls, size).Draw();
    }  // closes memory
    std::string bytes(data != nullptr ? data : "", length);
    std::free(data);
    return IsWholePicture(bytes, format) ? bytes : std::string();
}

int QuickLook::ColumnOf(double time, PictureSize size) const {
    const PlotLayout layout = Layout(size);
    const double along = (time - layout.start) / (layout.end - layout.start);
    return static_cast<int>(std::lround((layout.left + along * (layout.right - layout.left)) * size.width));
}

std::pair<int, int> QuickLook::RowsOfPanel(int panel, PictureSize size) const {
    const auto [bottom, top] = Layout(size).PanelFrame(panel);
    return {static_cast<int>(std::lround((1.0 - top) * size.height)),
            static_cast<int>(std::lround((1.0 - bottom) * size.height))};
}

}  // namespace kelvara::plot
