// The synthetic raw files must be reproducible, well formed for the reader,
// and look like a tower's: the benchmark and the engine tests rely on it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "SampleGenerator.h"
#include "TempDir.h"

namespace kelvara::samples {
namespace {

constexpr int kValues = 7;
enum { U, V, W, CO2, H2O, Ts, P };

struct Limits {
    double low, high;
};
// The default screening limits of the range file.
constexpr Limits kDefaultLimits[kValues] = {{-50, 50}, {-50, 50}, {-50, 50}, {0, 1500},
                                            {-20, 100}, {-50, 50}, {30, 150}};

struct Record {
    std::string stamp;  // between the quotes
    double value[kValues];
    long status;
};

// The views point into text, which must outlive them.
std::vector<std::string_view> SplitLines(const std::string& text) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = std::string_view(text).substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}
std::vector<std::string_view> SplitLines(std::string&& text) = delete;

// Parses `"YYYY-MM-DD hh:mm:ss.f",v1,...,v7,status`, insisting that every
// number is consumed whole.
bool ParseRecord(std::string_view line, Record& record) {
    if (line.size() < 3 || line[0] != '"') return false;
    const std::size_t quote = line.find('"', 1);
    if (quote == std::string_view::npos || quote + 1 >= line.size() || line[quote + 1] != ',') return false;
    record.stamp = std::string(line.substr(1, quote - 1));
    std::string rest(line.substr(quote + 2));
    const char* cursor = rest.c_str();
    for (double& value : record.value) {
        char* end = nullptr;
        value = std::strtod(cursor, &end);
        if (end == cursor || *end != ',') return false;
        cursor = end + 1;
    }
    char* end = nullptr;
    record.status = std::strtol(cursor, &end, 10);
    return end != cursor && *end == '\0';
}

std::vector<Record> Records(const std::string& text) {
    std::vector<Record> records;
    const auto lines = SplitLines(text);
    for (std::size_t i = 4; i < lines.size(); ++i) {
        Record record;
        EXPECT_TRUE(ParseRecord(lines[i], record)) << "line " << i << ": " << lines[i];
        records.push_back(record);
    }
    return records;
}

// Time stamp text to tenths or hundredths since 1970, by the calendar.
std::int64_t StampTicks(const std::string& stamp, int hz) {
    using namespace std::chrono;
    const int y = std::stoi(stamp.substr(0, 4));
    const unsigned mo = static_cast<unsigned>(std::stoi(stamp.substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(stamp.substr(8, 2)));
    const year_month_day date{year{y}, month{mo}, day{d}};
    EXPECT_TRUE(date.ok()) << stamp;
    const std::int64_t days = sys_days{date}.time_since_epoch().count();
    const std::int64_t seconds = days * 86400 + std::stoi(stamp.substr(11, 2)) * 3600 +
                                 std::stoi(stamp.substr(14, 2)) * 60 + std::stoi(stamp.substr(17, 2));
    const std::string fraction = stamp.substr(20);
    const int ticks = hz == 10 ? std::stoi(fraction) : std::stoi(fraction) / 5;
    return seconds * hz + ticks;
}

SampleOptions Options(double hours, std::uint64_t seed = 1) {
    SampleOptions options;
    options.seed = seed;
    options.hours = hours;
    options.start = "2024-06-01 10:00:00";
    return options;
}

std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

bool InDefaultLimits(const Record& record) {
    for (int v = 0; v < kValues; ++v) {
        if (!(record.value[v] > kDefaultLimits[v].low && record.value[v] < kDefaultLimits[v].high)) return false;
    }
    return true;
}

// ---------------------------------------------------------------- bytes

TEST(SampleGeneratorBytes, SameSeedSameBytesOtherSeedOtherBytes) {
    const std::string a = MakeRawSample(Options(0.05, 42));
    EXPECT_EQ(a, MakeRawSample(Options(0.05, 42)));
    EXPECT_NE(a, MakeRawSample(Options(0.05, 43)));
}

TEST(SampleGeneratorBytes, OutputIsPinnedSoEveryPlatformWritesTheSameFile) {
    // Own generator and own number text: this hash must hold with every
    // compiler and standard library. A deliberate change of the model
    // changes it; update it then.
    SampleOptions options = Options(0.01, 7);
    options.spikeRate = 0.01;
    options.badStatusRate = 0.01;
    options.outOfRangeRate = 0.01;
    options.gapRate = 0.01;
    EXPECT_EQ(Fnv1a(MakeRawSample(options)), 0x37af186e9d05ebc1ull);
}

TEST(SampleGeneratorBytes, FileOnDiskEqualsTheText) {
    testing::TempDir dir;
    SampleOptions options = Options(0.2, 5);
    options.gapRate = 0.01;
    ASSERT_TRUE(WriteRawSample(dir / "tower.dat", options));
    EXPECT_EQ(testing::ReadFile(dir / "tower.dat"), MakeRawSample(options));
}

TEST(SampleGeneratorBytes, LineEndsAreCrLfByDefaultAndLfOnRequest) {
    SampleOptions options = Options(0.01);
    const std::string crlf = MakeRawSample(options);
    options.crlf = false;
    const std::string lf = MakeRawSample(options);

    const std::size_t lines = 4 + 360;
    std::size_t crlfCount = 0;
    for (std::size_t i = crlf.find("\r\n"); i != std::string::npos; i = crlf.find("\r\n", i + 2)) ++crlfCount;
    EXPECT_EQ(crlfCount, lines);
    EXPECT_EQ(static_cast<std::size_t>(std::count(crlf.begin(), crlf.end(), '\n')), lines);
    EXPECT_EQ(static_cast<std::size_t>(std::count(crlf.begin(), crlf.end(), '\r')), lines);
    EXPECT_EQ(crlf.substr(crlf.size() - 2), "\r\n");

    EXPECT_EQ(static_cast<std::size_t>(std::count(lf.begin(), lf.end(), '\n')), lines);
    EXPECT_EQ(lf.find('\r'), std::string::npos);
    EXPECT_EQ(lf.back(), '\n');
}

TEST(SampleGeneratorBytes, HeaderIsFourShortLinesThatAreNotRecords) {
    const std::string text = MakeRawSample(Options(0.01));
    const auto lines = SplitLines(text);
    ASSERT_GT(lines.size(), 4u);
    Record record;
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(lines[i].empty());
        EXPECT_LT(lines[i].size(), 100u) << lines[i];
        EXPECT_FALSE(ParseRecord(lines[i], record)) << lines[i];
    }
    EXPECT_TRUE(ParseRecord(lines[4], record)) << lines[4];
}

TEST(SampleGeneratorBytes, RecordLayoutMatchesTheLogger) {
    const std::string text = MakeRawSample(Options(0.01));
    const auto lines = SplitLines(text);
    // One leading quote, date, blank, time with tenths, quote, comma, then
    // seven comma-terminated values and the status.
    EXPECT_EQ(lines[4].substr(0, 24), "\"2024-06-01 10:00:00.0\",");
    EXPECT_EQ(lines[5].substr(0, 24), "\"2024-06-01 10:00:00.1\",");
    EXPECT_EQ(lines[14].substr(0, 24), "\"2024-06-01 10:00:01.0\",");
    for (std::size_t i = 4; i < lines.size(); ++i) {
        ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 8) << lines[i];
        // Decimals as the logger writes them: 3 for wind and H2O, 2 for CO2, Ts, P.
        Record record;
        ASSERT_TRUE(ParseRecord(lines[i], record));
        const std::string_view fields = lines[i].substr(24);
        std::size_t begin = 0;
        const int decimals[kValues] = {3, 3, 3, 2, 3, 2, 2};
        for (int v = 0; v < kValues; ++v) {
            const std::size_t comma = fields.find(',', begin);
            const std::string_view field = fields.substr(begin, comma - begin);
            const std::size_t point = field.find('.');
            ASSERT_NE(point, std::string_view::npos) << field;
            EXPECT_EQ(field.size() - point - 1, static_cast<std::size_t>(decimals[v])) << field;
            if (field[0] == '-') {
                EXPECT_NE(std::atof(std::string(field).c_str()), 0.0) << "negative zero: " << field;
            }
            begin = comma + 1;
        }
    }
}

// ---------------------------------------------------------------- records and time

TEST(SampleGeneratorRecords, CountIsHoursTimesRateWithoutGaps) {
    SampleOptions options = Options(0.5);
    EXPECT_EQ(PlannedRecordCount(options), 18000);
    EXPECT_EQ(Records(MakeRawSample(options)).size(), 18000u);
    options.hz = 20;
    EXPECT_EQ(PlannedRecordCount(options), 36000);
    EXPECT_EQ(Records(MakeRawSample(options)).size(), 36000u);
    options.hours = 0.0;
    const std::string headerOnly = MakeRawSample(options);
    EXPECT_EQ(SplitLines(headerOnly).size(), 4u);
}

TEST(SampleGeneratorRecords, GapsLeaveRecordsOutWithoutDisturbingTheRest) {
    SampleOptions options = Options(0.5, 9);
    const auto full = Records(MakeRawSample(options));
    options.gapRate = 0.1;
    const auto gapped = Records(MakeRawSample(options));

    ASSERT_EQ(full.size(), 18000u);
    EXPECT_GT(gapped.size(), 18000u * 85 / 100);
    EXPECT_LT(gapped.size(), 18000u * 95 / 100);

    // Every record that is kept is the one the full file holds at its time.
    std::map<std::string, const Record*> byStamp;
    for (const Record& record : full) byStamp[record.stamp] = &record;
    std::int64_t previous = -1;
    for (const Record& record : gapped) {
        const std::int64_t ticks = StampTicks(record.stamp, 10);
        EXPECT_GT(ticks, previous) << record.stamp;
        previous = ticks;
        const auto match = byStamp.find(record.stamp);
        ASSERT_NE(match, byStamp.end()) << record.stamp;
        for (int v = 0; v < kValues; ++v) EXPECT_EQ(record.value[v], match->second->value[v]);
    }
}

struct ClockCase {
    const char* start;
    int hz;
    const char* lastBefore;
    const char* firstAfter;
};

class SampleGeneratorClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SampleGeneratorClock, StampsStepByOneSamplePeriodAcrossDayMonthAndYearEnds) {
    const ClockCase& c = GetParam();
    SampleOptions options = Options(4.0 / 3600.0);
    options.start = c.start;
    options.hz = c.hz;
    const auto records = Records(MakeRawSample(options));
    ASSERT_EQ(records.size(), static_cast<std::size_t>(4 * c.hz));
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(StampTicks(records[i].stamp, c.hz) - StampTicks(records[i - 1].stamp, c.hz), 1)
            << records[i - 1].stamp << " -> " << records[i].stamp;
    }
    // The start is 2 s before midnight: the change of day is at 2 * hz.
    const std::size_t change = static_cast<std::size_t>(2 * c.hz);
    EXPECT_EQ(records[change - 1].stamp, c.lastBefore);
    EXPECT_EQ(records[change].stamp, c.firstAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, SampleGeneratorClock,
    ::testing::Values(ClockCase{"2024-06-01 23:59:58", 10, "2024-06-01 23:59:59.9", "2024-06-02 00:00:00.0"},
                      ClockCase{"2024-06-30 23:59:58", 10, "2024-06-30 23:59:59.9", "2024-07-01 00:00:00.0"},
                      ClockCase{"2024-02-28 23:59:58", 10, "2024-02-28 23:59:59.9", "2024-02-29 00:00:00.0"},
                      ClockCase{"2024-02-29 23:59:58", 20, "2024-02-29 23:59:59.95", "2024-03-01 00:00:00.00"},
                      ClockCase{"2023-02-28 23:59:58", 10, "2023-02-28 23:59:59.9", "2023-03-01 00:00:00.0"},
                      ClockCase{"2100-02-28 23:59:58", 10, "2100-02-28 23:59:59.9", "2100-03-01 00:00:00.0"},
                      ClockCase{"2023-12-31 23:59:58", 20, "2023-12-31 23:59:59.95", "2024-01-01 00:00:00.00"}));

TEST(SampleGeneratorRecords, TwentyHertzStampsCarryHundredths) {
    SampleOptions options = Options(1.0 / 3600.0);
    options.hz = 20;
    const auto records = Records(MakeRawSample(options));
    ASSERT_EQ(records.size(), 20u);
    EXPECT_EQ(records[0].stamp, "2024-06-01 10:00:00.00");
    EXPECT_EQ(records[1].stamp, "2024-06-01 10:00:00.05");
    EXPECT_EQ(records[2].stamp, "2024-06-01 10:00:00.10");
    EXPECT_EQ(records[19].stamp, "2024-06-01 10:00:00.95");
}

// ---------------------------------------------------------------- physics

struct BlockStats {
    double mean[kValues] = {};
    double covUW = 0, covWTs = 0, covWH2O = 0, covWCO2 = 0;
};

// Means, then covariances with w in a frame that follows the mean wind
// (two rotations in double precision), as a flux program would form them.
BlockStats Stats(const std::vector<Record>& records) {
    BlockStats stats;
    const double n = static_cast<double>(records.size());
    for (const Record& r : records)
        for (int v = 0; v < kValues; ++v) stats.mean[v] += r.value[v] / n;
    const double horizontal = std::hypot(stats.mean[U], stats.mean[V]);
    const double cosYaw = stats.mean[U] / horizontal, sinYaw = stats.mean[V] / horizontal;
    const double total = std::hypot(horizontal, stats.mean[W]);
    const double cosPitch = horizontal / total, sinPitch = stats.mean[W] / total;
    std::vector<double> u(records.size()), w(records.size());
    double meanU = 0, meanW = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const double along = records[i].value[U] * cosYaw + records[i].value[V] * sinYaw;
        u[i] = along * cosPitch + records[i].value[W] * sinPitch;
        w[i] = records[i].value[W] * cosPitch - along * sinPitch;
        meanU += u[i] / n;
        meanW += w[i] / n;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const double wp = w[i] - meanW;
        stats.covUW += (u[i] - meanU) * wp / n;
        stats.covWTs += wp * (records[i].value[Ts] - stats.mean[Ts]) / n;
        stats.covWH2O += wp * (records[i].value[H2O] - stats.mean[H2O]) / n;
        stats.covWCO2 += wp * (records[i].value[CO2] - stats.mean[CO2]) / n;
    }
    return stats;
}

std::vector<Record> HalfHour(const char* start, std::uint64_t seed) {
    SampleOptions options = Options(0.5, seed);
    options.start = start;
    return Records(MakeRawSample(options));
}

TEST(SampleGeneratorPhysics, DaytimeFluxesHaveTheSignsOfASunnyCanopy) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        const BlockStats s = Stats(HalfHour("2024-06-01 11:00:00", seed));
        EXPECT_LT(s.covUW, -0.01) << "seed " << seed;
        EXPECT_GT(s.covWTs, 0.05) << "seed " << seed;
        EXPECT_GT(s.covWH2O, 0.02) << "seed " << seed;
        EXPECT_LT(s.covWCO2, -0.2) << "seed " << seed;
    }
}

TEST(SampleGeneratorPhysics, NightFluxesAreWeakOrReversed) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        const BlockStats day = Stats(HalfHour("2024-06-01 12:00:00", seed));
        const BlockStats night = Stats(HalfHour("2024-06-01 01:00:00", seed));
        EXPECT_LT(night.covUW, 0.0) << "seed " << seed;
        EXPECT_LT(night.covWTs, 0.0) << "seed " << seed;
        EXPECT_GT(night.covWCO2, 0.0) << "seed " << seed;
        EXPECT_LT(std::fabs(night.covWH2O), std::fabs(day.covWH2O)) << "seed " << seed;
    }
}

TEST(SampleGeneratorPhysics, MeansAreThoseOfATowerAndTemperatureFollowsTheDay) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
        const auto morning = HalfHour("2024-06-01 05:00:00", seed);
        const auto afternoon = HalfHour("2024-06-01 15:00:00", seed);
        for (const Record& r : afternoon) ASSERT_TRUE(InDefaultLimits(r)) << r.stamp;
        const BlockStats s = Stats(afternoon);
        EXPECT_NEAR(s.mean[CO2], 700.0, 60.0);
        EXPECT_NEAR(s.mean[H2O], 10.0, 4.0);
        EXPECT_NEAR(s.mean[Ts], 20.0, 8.0);
        EXPECT_NEAR(s.mean[P], 98.0, 1.5);
        EXPECT_GT(std::hypot(s.mean[U], s.mean[V]), 0.2);
        EXPECT_GT(s.mean[Ts], Stats(morning).mean[Ts] + 3.0) << "seed " << seed;
    }
}

TEST(SampleGeneratorPhysics, TiltedSonicGivesAMeanVerticalWindThatFollowsU) {
    int checked = 0;
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const BlockStats s = Stats(HalfHour("2024-06-01 12:00:00", seed));
        if (std::fabs(s.mean[U]) < 1.0) continue;
        ++checked;
        EXPECT_GT(std::fabs(s.mean[W]), 0.02) << "seed " << seed;
        EXPECT_EQ(s.mean[W] > 0, s.mean[U] > 0) << "seed " << seed;
    }
    EXPECT_GT(checked, 2);
}

TEST(SampleGeneratorPhysics, WindWandersInSpeedAndDirectionOverHours) {
    SampleOptions options = Options(6.0, 4);
    const auto records = Records(MakeRawSample(options));
    double minSpeed = 1e9, maxSpeed = 0, minAngle = 1e9, maxAngle = -1e9;
    for (std::size_t begin = 0; begin + 18000 <= records.size(); begin += 18000) {
        const BlockStats s = Stats({records.begin() + static_cast<std::ptrdiff_t>(begin),
                                    records.begin() + static_cast<std::ptrdiff_t>(begin + 18000)});
        const double speed = std::hypot(s.mean[U], s.mean[V]);
        const double angle = std::atan2(s.mean[V], s.mean[U]);
        minSpeed = std::min(minSpeed, speed), maxSpeed = std::max(maxSpeed, speed);
        minAngle = std::min(minAngle, angle), maxAngle = std::max(maxAngle, angle);
    }
    EXPECT_GT(maxSpeed - minSpeed, 0.2);
    EXPECT_GT(maxAngle - minAngle, 0.1);
}

// ---------------------------------------------------------------- faults

TEST(SampleGeneratorFaults, NoFaultsUnlessAskedFor) {
    for (const Record& r : Records(MakeRawSample(Options(0.5, 11)))) {
        ASSERT_EQ(r.status, 0) << r.stamp;
        ASSERT_TRUE(InDefaultLimits(r)) << r.stamp;
    }
}

TEST(SampleGeneratorFaults, BadStatusValuesLieOutsideZeroToThirteenAtTheRate) {
    SampleOptions options = Options(0.5, 12);
    options.badStatusRate = 0.05;
    int bad = 0;
    bool negative = false, high = false;
    for (const Record& r : Records(MakeRawSample(options))) {
        if (r.status == 0) continue;
        ASSERT_TRUE(r.status < 0 || r.status > 13) << r.status;
        ++bad;
        negative |= r.status < 0;
        high |= r.status > 13;
    }
    EXPECT_NEAR(bad, 900, 150);
    EXPECT_TRUE(negative);
    EXPECT_TRUE(high);
}

TEST(SampleGeneratorFaults, OutOfRangeValuesBreakTheDefaultLimitsAtTheRate) {
    SampleOptions options = Options(0.5, 13);
    options.outOfRangeRate = 0.02;
    int outside = 0;
    int perVariable[kValues] = {};
    for (const Record& r : Records(MakeRawSample(options))) {
        int broken = 0;
        for (int v = 0; v < kValues; ++v) {
            if (!(r.value[v] > kDefaultLimits[v].low && r.value[v] < kDefaultLimits[v].high)) {
                ++broken;
                ++perVariable[v];
            }
        }
        EXPECT_LE(broken, 1) << r.stamp;
        outside += broken;
    }
    EXPECT_NEAR(outside, 360, 80);
    for (int v = 0; v < kValues; ++v) EXPECT_GT(perVariable[v], 0) << "variable " << v;
}

TEST(SampleGeneratorFaults, SpikesStandFarOutYetInsideTheLimits) {
    SampleOptions options = Options(0.5, 14);
    const auto clean = Records(MakeRawSample(options));
    options.spikeRate = 0.005;
    const auto spiky = Records(MakeRawSample(options));
    ASSERT_EQ(clean.size(), spiky.size());

    // Scatter of each variable in the clean half hour.
    double mean[kValues] = {}, sd[kValues] = {};
    const double n = static_cast<double>(clean.size());
    for (const Record& r : clean)
        for (int v = 0; v < kValues; ++v) mean[v] += r.value[v] / n;
    for (const Record& r : clean)
        for (int v = 0; v < kValues; ++v) sd[v] += (r.value[v] - mean[v]) * (r.value[v] - mean[v]) / n;
    for (double& s : sd) s = std::sqrt(s);

    int spikes = 0;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        ASSERT_TRUE(InDefaultLimits(spiky[i])) << spiky[i].stamp;
        int changed = 0;
        for (int v = 0; v < kValues; ++v) {
            EXPECT_LT(std::fabs(clean[i].value[v] - mean[v]), 6 * sd[v]) << "clean record " << clean[i].stamp;
            if (spiky[i].value[v] == clean[i].value[v]) continue;
            ++changed;
            EXPECT_GT(std::fabs(spiky[i].value[v] - clean[i].value[v]), 6 * sd[v])
                << spiky[i].stamp << " variable " << v;
        }
        EXPECT_LE(changed, 1);
        spikes += changed;
    }
    EXPECT_NEAR(spikes, 90, 35);
}

// ---------------------------------------------------------------- options

TEST(SampleGeneratorOptions, UnusableOptionsAreNamedAndWriteNothing) {
    const char* badStarts[] = {"2024-02-30 00:00:00", "2023-02-29 12:00:00", "2024-06-01T10:00:00",
                               "2024-06-01 24:00:00", "2024-6-1 10:00:00", ""};
    for (const char* start : badStarts) {
        SampleOptions options = Options(0.01);
        options.start = start;
        EXPECT_NE(CheckSampleOptions(options).find("start"), std::string::npos) << start;
        EXPECT_TRUE(MakeRawSample(options).empty()) << start;
    }
    SampleOptions options = Options(0.01);
    EXPECT_EQ(CheckSampleOptions(options), "");
    options.hz = 15;
    EXPECT_NE(CheckSampleOptions(options), "");
    options = Options(-1.0);
    EXPECT_NE(CheckSampleOptions(options), "");
    options = Options(0.01);
    options.gapRate = 1.5;
    EXPECT_NE(CheckSampleOptions(options), "");

    testing::TempDir dir;
    EXPECT_FALSE(WriteRawSample(dir / "bad.dat", options));
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dat"));
}

TEST(SampleGeneratorOptions, UnwritablePathGivesFalse) {
    testing::TempDir dir;
    EXPECT_FALSE(WriteRawSample(dir / "no-such-folder" / "tower.dat", Options(0.01)));
    EXPECT_FALSE(WriteRawSample(dir.path(), Options(0.01)));
}

}  // namespace
}  // namespace kelvara::samples
