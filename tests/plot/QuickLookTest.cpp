// Results files read back and drawn: their times, the files that are not
// results, the lines several files make, and a picture that shows the data,
// its gaps and its rejections with every label clear of the others.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>

#include "FailingStreams.h"
#include "FileSizeLimit.h"
#include "PictureFile.h"
#include "PlotSeries.h"
#include "QuickLook.h"
#include "ResultsTable.h"
#include "TempDir.h"
#include "ValueAxis.h"
#include "io/FluxResultsLine.h"
#include "io/ResultsFile.h"

namespace kelvara::plot {
namespace {

using testing::TempDir;

constexpr double kJune1 = 1717200000.0;  // 2024-06-01 00:00 UTC

// A day of half hours ending at 00:30 ... 0:0, H and LE following the sun.
std::string DefaultDay(int rejected, int missing, int halfHours = 48) {
    std::string text = std::string(kResultsHeader) + "\r\n";
    for (int k = 1; k <= halfHours; ++k) {
        if (k == missing) continue;
        char line[256];
        const int hour = k / 2 % 24, minute = k % 2 * 30;
        if (k == rejected) {
            std::snprintf(line, sizeof line, "2024-06-01 %d:%d,,,,,,,,,,,,,,,,\r\n", hour, minute);
        } else {
            const double sun = std::sin((k / 2.0 - 6.0) / 12.0 * 3.14159265);
            std::snprintf(line, sizeof line, "2024-06-01 %d:%d,0.3,0.1,700,10,98,20,19,3,0,0,%g,0,0,%g,%g,18000\r\n",
                          hour, minute, 200 * sun, 150 * sun, -10 * sun);
        }
        text += line;
    }
    return text;
}

std::string ProblemOf(const std::filesystem::path& file) {
    auto table = ReadResultsTable(file);
    return std::holds_alternative<std::string>(table) ? std::get<std::string>(table) : "";
}

TEST(ResultsTable, TimesOfBothKinds) {
    EXPECT_EQ(kJune1 + 1800, ResultsTime("2024-06-01 0:30", ResultsKind::Default));
    // The 23:30 half hour of a default file ends at its date's "0:0".
    EXPECT_EQ(kJune1 + 86400, ResultsTime("2024-06-01 0:0", ResultsKind::Default));
    EXPECT_EQ(kJune1 + 86400, ResultsTime("2024-06-02 00:00", ResultsKind::Standard));
    EXPECT_EQ(kJune1 + 86400 + 13 * 3600, ResultsTime("2024-06-02 13:00", ResultsKind::Standard));
    for (const char* bad : {"2024-02-30 1:0", "2024-06-01 24:0", "2024-06-01 1:0x", "", "2024-06-01"}) {
        EXPECT_TRUE(std::isnan(ResultsTime(bad, ResultsKind::Default))) << bad;
    }
}

TEST(ResultsTable, ReadsResultsAndRefusesTheRest) {
    TempDir dir;
    testing::WriteFile(dir / "day.r1w", DefaultDay(10, 20));
    auto read = ReadResultsTable(dir / "day.r1w");
    ASSERT_TRUE(std::holds_alternative<ResultsTable>(read)) << std::get<std::string>(read);
    const ResultsTable& table = std::get<ResultsTable>(read);
    EXPECT_EQ(ResultsKind::Default, table.kind);
    ASSERT_EQ(47u, table.rows.size());
    EXPECT_TRUE(table.rows[9].rejected && std::isnan(table.rows[9].h));
    EXPECT_EQ(kJune1 + 86400, table.rows.back().time);  // sorted: "0:0" last

    testing::WriteFile(dir / "day.s1w", std::string(kStandardResultsHeader) + "\r\n");
    EXPECT_EQ(ResultsKind::Standard, std::get<ResultsTable>(ReadResultsTable(dir / "day.s1w")).kind);
    testing::WriteFile(dir / "empty.r1w", "");
    EXPECT_EQ("is empty: not a results file", ProblemOf(dir / "empty.r1w"));
    testing::WriteFile(dir / "raw.dat", "\"TOA5\",\"x\"\r\n");
    EXPECT_EQ("is not a results file of Kelvara: its first line is not a results header", ProblemOf(dir / "raw.dat"));
    testing::WriteFile(dir / "cut.r1w", DefaultDay(0, 0).substr(0, 400));
    EXPECT_EQ("line 5 is not a results line", ProblemOf(dir / "cut.r1w"));
    testing::WriteFile(dir / "long.r1w", std::string(kResultsHeader) + "\r\n" + std::string(100000, '1'));
    EXPECT_EQ("line 2 is not a results line", ProblemOf(dir / "long.r1w"));
    EXPECT_EQ("No such file or directory", ProblemOf(dir / "gone.r1w"));
    EXPECT_EQ("Is a directory", ProblemOf(dir.path()));
    // A read error is no end of the file.
    testing::WriteFile(dir / "failing.r1w", DefaultDay(0, 0));
    testing::FailingStreams failing;
    testing::FailingStreams::bytesBeforeFailure = 1000;
    EXPECT_EQ("could not be read: Input/output error", ProblemOf(dir / "failing.r1w"));
}

// A corrected file's day (kFluxHeader's columns): half hour `rejected` is
// -9999 after its time stamps, `flagged` has H flagged 2 and Fc 1.
std::string FluxDay(int rejected, int flagged) {
    std::string text = std::string(kFluxHeader) + "\n";
    for (int k = 1; k <= 48; ++k) {
        char stamps[64];
        const int endDay = k == 48 ? 2 : 1, endHour = k / 2 % 24, endMinute = k % 2 * 30;
        const int startHour = (k - 1) / 2, startMinute = (k - 1) % 2 * 30;
        std::snprintf(stamps, sizeof stamps, "202406%02d%02d%02d,202406%02d%02d%02d", 1, startHour, startMinute, endDay,
                      endHour, endMinute);
        std::string line = stamps;
        const double sun = std::sin((k / 2.0 - 6.0) / 12.0 * 3.14159265);
        for (int column = 2; column < kFluxValueColumns + 2; ++column) {
            char value[32] = "-9999";
            if (k != rejected) {
                switch (column) {
                    case 2:
                        std::snprintf(value, sizeof value, "18000");
                        break;  // N
                    case 4:
                        std::snprintf(value, sizeof value, "%g", 200 * sun);
                        break;  // H
                    case 5:
                        std::snprintf(value, sizeof value, "%g", 150 * sun);
                        break;  // LE
                    case 6:
                        std::snprintf(value, sizeof value, "%g", -10 * sun);
                        break;  // FC
                    case 7:
                        std::snprintf(value, sizeof value, "0.3");
                        break;  // USTAR
                    case 39:
                    case 40:
                    case 41:
                    case 42:  // the flags of TAU, H, LE, FC
                        std::snprintf(value, sizeof value, "%d", k == flagged ? (column == 40 ? 2 : 1) : 0);
                        break;
                    default:
                        std::snprintf(value, sizeof value, "1.5");
                }
            }
            line += std::string(",") + value;
        }
        text += line + "\n";
    }
    return text;
}

// The corrected file: its end time stamps (midnight of the next day last),
// its -9999 as gaps, a rejected half hour, and which fluxes it flags 2.
TEST(ResultsTable, ReadsTheCorrectedFileAndItsFlags) {
    EXPECT_EQ(kJune1 + 86400, FluxTime("202406020000"));
    for (const char* bad : {"20240601003", "2024060100300", "202406310030", "2024-06-0100", "-99990000000"}) {
        EXPECT_TRUE(std::isnan(FluxTime(bad))) << bad;
    }
    TempDir dir;
    testing::WriteFile(dir / "day.flux.csv", FluxDay(10, 20));
    auto read = ReadResultsTable(dir / "day.flux.csv");
    ASSERT_TRUE(std::holds_alternative<ResultsTable>(read)) << std::get<std::string>(read);
    const ResultsTable& table = std::get<ResultsTable>(read);
    EXPECT_EQ(ResultsKind::Flux, table.kind);
    ASSERT_EQ(48u, table.rows.size());
    EXPECT_EQ(kJune1 + 1800, table.rows.front().time);
    EXPECT_EQ(kJune1 + 86400, table.rows.back().time);
    EXPECT_EQ(0.3, table.rows[0].ustar);
    EXPECT_EQ(18000, table.rows[0].records);
    EXPECT_TRUE(table.rows[9].rejected && std::isnan(table.rows[9].h) && std::isnan(table.rows[9].records));
    EXPECT_FALSE(table.rows[9].badH);  // no flag at all: nothing drawn to cross
    const HalfHourRow& flagged = table.rows[19];
    EXPECT_TRUE(flagged.badH && !flagged.badTau && !flagged.badLE && !flagged.badFc);
    // Columns may follow the ones known; a line must have as many as the header.
    std::string more = FluxDay(0, 0);
    more.insert(kFluxHeader.size(), ",EXTRA");
    testing::WriteFile(dir / "more.flux.csv", more);
    EXPECT_EQ("line 2 is not a results line", ProblemOf(dir / "more.flux.csv"));
}

TEST(ValueAxis, CountsHaveWholeNumberTicksAndLabelsHaveTheDigitsTheStepNeeds) {
    for (const std::vector<double>& records :
         {std::vector<double>{17999, 18000}, {17998, 17999, 17999}, {18000}, {1}, {0, 3}, {12, 17990}}) {
        const ValueAxis axis = ValueAxisFor({&records}, AxisValues::Counts, 6);
        ASSERT_GE(axis.ticks.size(), 2u) << records.front();
        EXPECT_LE(axis.ticks.size(), 6u);
        for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
            EXPECT_EQ(axis.ticks[i], std::round(axis.ticks[i])) << records.front();
            EXPECT_EQ(axis.labels[i].find('.'), std::string::npos) << axis.labels[i];
        }
        EXPECT_EQ(axis.minorTicks * std::floor(axis.step / axis.minorTicks), axis.step);  // minor ticks on integers
        EXPECT_TRUE(axis.low < records.front() && records.back() < axis.high);
    }
    const std::vector<double> ustar = {0.1, 0.35, std::nan("")};
    const ValueAxis real = ValueAxisFor({&ustar}, AxisValues::Real, 6);
    EXPECT_EQ((std::vector<std::string>{"0.10", "0.15", "0.20", "0.25", "0.30", "0.35"}), real.labels);
    const std::vector<double> heat = {-0.0001, -40.0, 230.0};
    EXPECT_EQ((std::vector<std::string>{"-50", "0", "50", "100", "150", "200"}),
              ValueAxisFor({&heat}, AxisValues::Real, 6).labels);
}

// A results table of these kinds and half hours (ends, in half hours after
// June 1st).
ResultsFileTable TableOf(const char* name, ResultsKind kind, int first, int last) {
    ResultsFileTable file{name, {kind, {}}};
    for (int k = first; k <= last; ++k) file.table.rows.push_back({kJune1 + 1800.0 * k, 0.3, 1, 1, 1, 18000, false});
    return file;
}

TEST(PlotSeries, FilesThatFollowEachOtherAreOneLineAndFilesOfTheSameHalfHoursAreCompared) {
    const auto series = [](std::vector<ResultsFileTable> files) {
        auto made = SeriesOfFiles(std::move(files));
        return std::holds_alternative<std::string>(made) ? std::vector<PlotSeries>{}
                                                         : std::get<std::vector<PlotSeries>>(made);
    };
    // Three days in any order: one line, in time order.
    const auto days =
        series({TableOf("d2.r1w", ResultsKind::Default, 49, 96), TableOf("d1.r1w", ResultsKind::Default, 1, 48),
                TableOf("d3.r1w", ResultsKind::Default, 97, 144)});
    ASSERT_EQ(1u, days.size());
    EXPECT_EQ("d2.r1w, d1.r1w, d3.r1w", days[0].name);
    EXPECT_EQ(144u, days[0].rows.size());
    EXPECT_TRUE(std::is_sorted(days[0].rows.begin(), days[0].rows.end(),
                               [](const HalfHourRow& a, const HalfHourRow& b) { return a.time < b.time; }));
    // The same day by both methods, and by two rotations: a line each,
    // named after its file; the next day joins its own method's line.
    const auto compared =
        series({TableOf("d1.r1w", ResultsKind::Default, 1, 48), TableOf("d1.s1w", ResultsKind::Standard, 1, 48),
                TableOf("d1.rfw", ResultsKind::Default, 1, 48), TableOf("d2.s1w", ResultsKind::Standard, 49, 96)});
    ASSERT_EQ(3u, compared.size());
    EXPECT_EQ("d1.r1w", compared[0].name);
    EXPECT_EQ("d1.s1w, d2.s1w", compared[1].name);
    EXPECT_EQ(ResultsKind::Standard, compared[1].kind);
    EXPECT_EQ("d1.rfw", compared[2].name);
    // More lines than dashes tell apart: refused with the reason.
    std::vector<ResultsFileTable> five;
    for (const char* name : {"a", "b", "c", "d", "e"}) five.push_back(TableOf(name, ResultsKind::Default, 1, 2));
    auto refused = SeriesOfFiles(std::move(five));
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find("at most 4"), std::string::npos) << std::get<std::string>(refused);
}

// Pixels of the picture by colour: the H line is red, the rejected band a
// light red.
class Picture {
public:
    Picture(std::vector<unsigned char> rgb, int width) : rgb_(std::move(rgb)), width_(width) {}
    bool Is(int x, int y, int r, int g, int b, int slack) const {
        const auto* p =
            &rgb_[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 3];
        return std::abs(p[0] - r) <= slack && std::abs(p[1] - g) <= slack && std::abs(p[2] - b) <= slack;
    }
    int CountInColumn(int x, std::pair<int, int> rows, int r, int g, int b, int slack) const {
        int count = 0;
        for (int y = rows.first; y <= rows.second; ++y) count += Is(x, y, r, g, b, slack);
        return count;
    }
    bool InkAt(int x, int y) const { return !Is(x, y, 255, 255, 255, 40); }
    // The texts left of the frame over these rows: runs of columns with ink,
    // apart by more than the gap between two letters.
    int TextsLeftOf(int frame, std::pair<int, int> rows, int letterGap) const {
        int texts = 0, blank = letterGap + 1;
        for (int x = 0; x < frame - 2; ++x) {
            bool ink = false;
            for (int y = rows.first; y <= rows.second && !ink; ++y) ink = InkAt(x, y);
            texts += ink && blank > letterGap;
            blank = ink ? 0 : blank + 1;
        }
        return texts;
    }
    std::size_t NotWhite() const {
        std::size_t count = 0;
        for (std::size_t i = 0; i + 2 < rgb_.size(); i += 3) count += rgb_[i] + rgb_[i + 1] + rgb_[i + 2] < 600;
        return count;
    }

private:
    std::vector<unsigned char> rgb_;
    int width_;
};

// Half hours flagged 2 carry an orange cross over their value; the others
// none. The key says what the cross means.
TEST(QuickLook, CrossesTheHalfHoursFlaggedTwo) {
    TempDir dir;
    testing::WriteFile(dir / "day.flux.csv", FluxDay(10, 20));
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "day.flux.csv")), "day.flux.csv");
    const PictureSize size{900, 700};
    const Picture picture(look.DrawRgb(size), size.width);
    const auto fluxPanel = look.RowsOfPanel(1, size), fcPanel = look.RowsOfPanel(2, size);
    const auto middleOf = [&](int k) { return look.ColumnOf(kJune1 + 1800.0 * k - 900.0, size); };
    EXPECT_GT(picture.CountInColumn(middleOf(20), fluxPanel, 240, 130, 0, 40), 2);
    EXPECT_EQ(picture.CountInColumn(middleOf(14), fluxPanel, 240, 130, 0, 40), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(20), fcPanel, 240, 130, 0, 40), 0);  // Fc's flag is 1
    // The corrected fluxes are drawn, with a gap at the rejected half hour.
    EXPECT_GT(picture.CountInColumn(middleOf(14), fluxPanel, 200, 30, 30, 60), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(10), fluxPanel, 200, 30, 30, 60), 0);
}

TEST(QuickLook, ShowsTheDataWithGapsWhereHalfHoursAreRejectedOrMissing) {
    TempDir dir;
    testing::WriteFile(dir / "day.r1w", DefaultDay(20, 30));
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "day.r1w")), "day.r1w");
    const PictureSize size{900, 700};
    const Picture picture(look.DrawRgb(size), size.width);
    EXPECT_GT(picture.NotWhite(), 900u * 700u / 50u);

    const auto fluxPanel = look.RowsOfPanel(1, size), recordsPanel = look.RowsOfPanel(3, size);
    const auto middleOf = [&](int k) { return look.ColumnOf(kJune1 + 1800.0 * k - 900.0, size); };
    // The H line (red) crosses every half hour with data, and none without.
    EXPECT_GT(picture.CountInColumn(middleOf(14), fluxPanel, 200, 30, 30, 60), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(20), fluxPanel, 200, 30, 30, 60), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(30), fluxPanel, 200, 30, 30, 60), 0);
    // The rejected half hour is marked on the Records panel; the missing one is not.
    EXPECT_GT(picture.CountInColumn(middleOf(20), recordsPanel, 255, 205, 205, 12), 50);
    EXPECT_EQ(picture.CountInColumn(middleOf(30), recordsPanel, 255, 205, 205, 12), 0);
}

// Counts that differ by one: whole-number labels, and the axis title clear
// of them; every letter inside the picture.
TEST(QuickLook, LabelsKeepClearOfEachOtherAndOfThePicturesEdge) {
    TempDir dir;
    std::string text = std::string(kResultsHeader) + "\r\n";
    for (int k = 1; k <= 6; ++k) {
        text += "2024-06-01 " + std::to_string(k / 2) + ":" + std::to_string(k % 2 * 30) +
                ",0.3,0.1,700,10,98,20,19,3,0,0,-20,0,0,10,2," + std::to_string(17998 + k % 2) + "\r\n";
    }
    testing::WriteFile(dir / "hours.r1w", text);
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "hours.r1w")), "hours.r1w");
    for (const PictureSize size : {PictureSize{640, 480}, PictureSize{1200, 900}}) {
        const Picture picture(look.DrawRgb(size), size.width);
        const int frame = look.ColumnOf(look.Layout(size).start, size);
        for (int panel = 0; panel < QuickLook::kPanels; ++panel) {
            const PlotLayout layout = look.Layout(size);
            const int texts = layout.titlesAbove ? 1 : 2;  // the tick labels, and the title beside them
            const int letterGap = static_cast<int>(0.3 * layout.letter);
            EXPECT_EQ(texts, picture.TextsLeftOf(frame, look.RowsOfPanel(panel, size), letterGap))
                << panel << ", " << size.width;
        }
        for (int x = 0; x < size.width; ++x) {
            EXPECT_FALSE(picture.InkAt(x, 0) || picture.InkAt(x, size.height - 1)) << x << ", " << size.width;
        }
        for (int y = 0; y < size.height; ++y) {
            EXPECT_FALSE(picture.InkAt(0, y) || picture.InkAt(size.width - 1, y)) << y << ", " << size.width;
        }
    }
}

// A file of one half hour: a dot a few pixels across, in the middle of its
// half hour, away from the frame; both time labels inside the picture.
TEST(QuickLook, ALoneHalfHourIsADotAwayFromTheFrame) {
    TempDir dir;
    testing::WriteFile(dir / "one.r1w", DefaultDay(0, 0, 1));
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "one.r1w")), "one.r1w");
    for (const PictureSize size : {PictureSize{200, 200}, PictureSize{640, 480}, PictureSize{1200, 900}}) {
        const Picture picture(look.DrawRgb(size), size.width);
        const int middle = look.ColumnOf(kJune1 + 900.0, size);
        const int frameLeft = look.ColumnOf(look.Layout(size).start, size);
        const int frameRight = look.ColumnOf(look.Layout(size).end, size);
        EXPECT_GT(middle - frameLeft, 10);
        EXPECT_GT(frameRight - middle, 10);
        // The u* dot (black) is as wide as it is high, at least 5 pixels.
        const auto rows = look.RowsOfPanel(0, size);
        int top = -1, bottom = -1;
        for (int y = rows.first + 3; y < rows.second - 3; ++y) {
            if (!picture.Is(middle, y, 0, 0, 0, 40)) continue;
            if (top < 0) top = y;
            bottom = y;
        }
        EXPECT_GE(bottom - top + 1, 5) << size.width;
        int left = middle, right = middle;
        const int centre = (top + bottom) / 2;
        while (picture.Is(left - 1, centre, 0, 0, 0, 40)) --left;
        while (picture.Is(right + 1, centre, 0, 0, 0, 40)) ++right;
        EXPECT_GE(right - left + 1, 5) << size.width;
        EXPECT_LE(std::abs((right - left) - (bottom - top)), 2) << size.width;
        for (int y = 0; y < size.height; ++y) {
            EXPECT_FALSE(picture.InkAt(0, y) || picture.InkAt(size.width - 1, y)) << y << ", " << size.width;
        }
    }
}

// On a full disk the picture is not put in place, and an earlier one stays
// as it was; nothing is left beside it.
TEST(PictureFile, AFailedWriteLeavesTheEarlierPicture) {
    TempDir dir;
    testing::WriteFile(dir / "day.r1w", DefaultDay(20, 30));
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "day.r1w")), "day.r1w");
    for (const char* name : {"day.png", "day.svg"}) {
        const PictureFormat format = *PictureFormatOf(name);
        ASSERT_EQ("", WritePictureFile(look, dir / name, format, {640, 480}));
        const std::string earlier = testing::ReadFile(dir / name);
        // Drawn first: PLplot itself stops the program when it cannot write
        // its own temporary files.
        const std::string later = look.Encode(format, {700, 500});
        ASSERT_NE(later, earlier);
        for (const rlim_t limit : {rlim_t{0}, rlim_t{100}, static_cast<rlim_t>(later.size() - 1)}) {
            std::string problem;
            {
                testing::FileSizeLimit full(limit);
                problem = WritePictureBytes(later, dir / name);
            }
            EXPECT_EQ("File too large", problem) << name << " " << limit;
            EXPECT_EQ(earlier, testing::ReadFile(dir / name)) << name << " " << limit;
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_FALSE(entry.path().string().ends_with(".part")) << entry.path();
    }
}

}  // namespace
}  // namespace kelvara::plot
