// Results files read back and drawn: their times, the files that are not
// results, and a picture that shows the data, its gaps and its rejections.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>

#include "QuickLook.h"
#include "ResultsTable.h"
#include "TempDir.h"
#include "io/ResultsFile.h"
#include "io/ResultsFile.h"

namespace kelvara::plot {
namespace {

using testing::TempDir;

constexpr double kJune1 = 1717200000.0;  // 2024-06-01 00:00 UTC

// A day of half hours ending at 00:30 ... 0:0, H and LE following the sun.
std::string DefaultDay(int rejected, int missing) {
    std::string text = std::string(kResultsHeader) + "\r\n";
    for (int k = 1; k <= 48; ++k) {
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
    EXPECT_EQ("cannot be opened", ProblemOf(dir / "gone.r1w"));
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
    std::size_t NotWhite() const {
        std::size_t count = 0;
        for (std::size_t i = 0; i + 2 < rgb_.size(); i += 3) count += rgb_[i] + rgb_[i + 1] + rgb_[i + 2] < 600;
        return count;
    }

private:
    std::vector<unsigned char> rgb_;
    int width_;
};

TEST(QuickLook, ShowsTheDataWithGapsWhereHalfHoursAreRejectedOrMissing) {
    TempDir dir;
    testing::WriteFile(dir / "day.r1w", DefaultDay(20, 30));
    const QuickLook look(std::get<ResultsTable>(ReadResultsTable(dir / "day.r1w")), "day.r1w");
    const PictureSize size{900, 700};
    const Picture picture(look.DrawRgb(size), size.width);
    EXPECT_GT(picture.NotWhite(), 900u * 700u / 50u);

    const auto fluxPanel = look.RowsOfPanel(1, size.height), recordsPanel = look.RowsOfPanel(3, size.height);
    const auto middleOf = [&](int k) { return look.ColumnOf(kJune1 + 1800.0 * k - 900.0, size.width); };
    // The H line (red) crosses every half hour with data, and none without.
    EXPECT_GT(picture.CountInColumn(middleOf(14), fluxPanel, 200, 30, 30, 60), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(20), fluxPanel, 200, 30, 30, 60), 0);
    EXPECT_EQ(picture.CountInColumn(middleOf(30), fluxPanel, 200, 30, 30, 60), 0);
    // The rejected half hour is marked on the Records panel; the missing one is not.
    EXPECT_GT(picture.CountInColumn(middleOf(20), recordsPanel, 255, 205, 205, 12), 50);
    EXPECT_EQ(picture.CountInColumn(middleOf(30), recordsPanel, 255, 205, 205, 12), 0);
}

}  // namespace
}  // namespace kelvara::plot
