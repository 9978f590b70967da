// The standard methods' run over archives of raw files: files of any length
// joined into the lines of one file, in time order whatever the order given,
// each file once, and the same bytes, counts and messages on any number of
// threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "RecordingPort.h"
#include "TempDir.h"
#include "io/Calendar.h"
#include "io/TimeStamp.h"
#include "jobs/ResultTable.h"
#include "jobs/RunJob.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::RawHeader;
using testing::ReadFile;
using testing::RecordingPort;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

// One record line at second (from 1970) and tenth, its values from seed.
std::string Record(long long second, int tenth, std::uint32_t& seed, int status = 0) {
    seed = seed * 1103515245u + 12345u;
    const int a = static_cast<int>((seed >> 16) % 601) - 300;
    seed = seed * 1103515245u + 12345u;
    const int b = static_cast<int>((seed >> 16) % 401) - 200;
    const CalendarDate date = DateOfDays(second / 86400);
    const long long clock = second % 86400;
    char line[192];
    std::snprintf(line, sizeof line,
                  "\"%04d-%02d-%02d %02lld:%02lld:%02lld.%d\",%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%d\r\n", date.year,
                  date.month, date.day, clock / 3600, clock / 60 % 60, clock % 60, tenth, (3000 - a + 2 * b) / 1e3,
                  (500 + b - a) / 1e3, (100 + a) / 1e3, (700000 - 4 * a + 3 * b) / 1e3, (10000 + a + b) / 1e3,
                  (20000 + 2 * a + b) / 1e3, (98000 + b) / 1e3, status);
    return line;
}

long long SecondOf(int year, int month, int day, int hour, int minute) {
    return DaysSinceEpoch({year, month, day}) * 86400 + hour * 3600 + minute * 60;
}

// Records at 2 Hz from start for the seconds given, in lines.
std::vector<std::string> Records(long long start, long long seconds, std::uint32_t seed) {
    std::vector<std::string> lines;
    for (long long s = 0; s < seconds; ++s) {
        for (int half = 0; half < 2; ++half) lines.push_back(Record(start + s, half * 5, seed, s % 97 == 3 ? 20 : 0));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to && i < lines.size(); ++i) text += lines[i];
    return text;
}

class StreamRunTest : public ::testing::Test {
protected:
    // The lines cut into files of count records each: their names.
    std::vector<std::string> Cut(const std::vector<std::string>& lines, std::size_t count, const std::string& stem) {
        std::vector<std::string> names;
        for (std::size_t from = 0; from < lines.size(); from += count) {
            names.push_back((dir / (stem + std::to_string(names.size()) + ".dat")).string());
            WriteFile(names.back(), RawHeader() + Joined(lines, from, from + count));
        }
        return names;
    }

    // The run's results and what it said, on jobs threads.
    struct Outcome {
        bool finished = false;
        std::string results;
        std::vector<std::string> said;
        RunTally tally;
    };
    Outcome Run(const std::vector<std::string>& files, int jobs, Methods methods = Methods::Standard) {
        RecordingPort port;
        RunJob job;
        Outcome outcome;
        const std::string out = (dir / ("out" + std::to_string(++runs))).string();
        RunInputs inputs{.methods = methods, .files = files, .outputFile = out, .jobs = jobs};
        if (methods == Methods::Corrected) inputs.site = SiteSettings{.measurementHeight = 3.0, .latitude = 45.0};
        outcome.finished = job.Run(inputs, port);
        const std::string suffix = methods == Methods::Corrected ? ".flux.csv" : ".s1w";
        if (fs::exists(out + suffix)) outcome.results = ReadFile(out + suffix);
        for (const auto& message : port.messages) outcome.said.push_back(message.title + ": " + message.text);
        outcome.tally = job.Tally();
        return outcome;
    }

    TempDir dir;
    int runs = 0;
    ScopedEnv windir{"WINDIR", (dir / "no windows").c_str()};
};

void ExpectSameTally(const RunTally& a, const RunTally& b) {
    EXPECT_EQ(a.recordsRead, b.recordsRead);
    EXPECT_EQ(a.recordsBadStatus, b.recordsBadStatus);
    EXPECT_EQ(a.samplesOutOfRange, b.samplesOutOfRange);
    EXPECT_EQ(a.recordsInShortBlocks, b.recordsInShortBlocks);
    EXPECT_EQ(a.blocksComputed, b.blocksComputed);
    EXPECT_EQ(a.blocksRejected, b.blocksRejected);
    EXPECT_EQ(a.shortBlocksSkipped, b.shortBlocksSkipped);
}

TEST_F(StreamRunTest, FilesOfAnyLengthJoinToTheLinesOfOneFile) {
    // Three hours over midnight and the year's end, from a time inside a
    // half hour.
    const auto lines = Records(SecondOf(2023, 12, 31, 22, 17), 3 * 3600, 7);
    const auto whole = Run(Cut(lines, lines.size(), "whole"), 1);
    ASSERT_TRUE(whole.finished);
    EXPECT_EQ(8, std::count(whole.results.begin(), whole.results.end(), '\n'));  // the header and 7 half hours
    EXPECT_NE(std::string::npos, whole.results.find("\n2024-01-01 00:00,"));
    EXPECT_NE(std::string::npos, whole.results.find("\n2024-01-01 01:30,"));
    for (const std::size_t records : {1800u, 3600u * 2, 7777u, 333u}) {  // 15 minutes, an hour, odd cuts
        const auto files = Cut(lines, records, "cut" + std::to_string(records) + "-");
        for (const int jobs : {1, 3}) {
            const auto joined = Run(files, jobs);
            EXPECT_EQ(whole.results, joined.results) << records << " " << jobs;
            EXPECT_EQ(whole.said, joined.said) << records << " " << jobs;
            ExpectSameTally(whole.tally, joined.tally);
        }
    }
}

TEST_F(StreamRunTest, FilesInReverseOrNamedTwiceGiveTheSameLinesAndSaySo) {
    const auto lines = Records(SecondOf(2024, 6, 1, 10, 0), 3600, 3);
    const auto files = Cut(lines, 1800, "q");
    const auto ordered = Run(files, 1);
    ASSERT_TRUE(ordered.finished);

    const auto reversed = Run({files.rbegin(), files.rend()}, 2);
    EXPECT_EQ(ordered.results, reversed.results);
    ASSERT_EQ(2u, reversed.said.size());
    EXPECT_EQ("Warning: the raw files are read in the order of their first time stamps, not in the order given",
              reversed.said[0]);

    const auto twice = Run({files[0], files[1], files[0], files[2], files[3]}, 2);
    EXPECT_EQ(ordered.results, twice.results);
    ASSERT_EQ(2u, twice.said.size());
    EXPECT_EQ("Warning: " + files[0] + ": named more than once; read once", twice.said[0]);
}

TEST_F(StreamRunTest, OverlapsAndABackwardClockAreDroppedAndToldPerFile) {
    // Files of 10 minutes that each repeat the last 2 minutes of the one
    // before, and a clock stepping back a minute inside one file.
    auto lines = Records(SecondOf(2024, 6, 1, 10, 3), 5400, 11);
    const auto stepBack = Records(SecondOf(2024, 6, 1, 10, 44), 60, 12);
    lines.insert(lines.begin() + 2 * 2700, stepBack.begin(), stepBack.end());
    std::vector<std::string> files;
    for (std::size_t from = 0, n = 0; from < lines.size(); from += 960, ++n) {
        files.push_back((dir / ("ov" + std::to_string(n) + ".dat")).string());
        WriteFile(files.back(), RawHeader() + Joined(lines, from, from + 1200));
    }
    const auto one = Run(files, 1);
    ASSERT_TRUE(one.finished);
    ASSERT_GE(one.said.size(), 3u);
    EXPECT_EQ("Warning: " + files[1] +
                  ": 239 records earlier than the records before them dropped (overlap or duplicate file)",
              one.said[0]);
    for (const int jobs : {2, 4, 7, 12}) {
        const auto many = Run(files, jobs);
        EXPECT_EQ(one.results, many.results) << jobs;
        EXPECT_EQ(one.said, many.said) << jobs;
        ExpectSameTally(one.tally, many.tally);
    }
}

TEST_F(StreamRunTest, AClockSteppingBackAtAFilesEndMisleadsNoThread) {
    // The second file ends with ten minutes from before its own records:
    // its last lines say less than what the stream kept, and the thread of
    // the third file, which must not start the half hour the second ends,
    // is told so.
    const auto first = Records(SecondOf(2024, 6, 1, 10, 0), 1200, 1);
    const auto second = Records(SecondOf(2024, 6, 1, 10, 20), 1200, 2);
    const auto back = Records(SecondOf(2024, 6, 1, 10, 5), 600, 3);
    const auto third = Records(SecondOf(2024, 6, 1, 10, 40), 1800, 4);
    const auto fourth = Records(SecondOf(2024, 6, 1, 11, 10), 1200, 5);
    const std::vector<std::string> files = {(dir / "s0.dat").string(), (dir / "s1.dat").string(),
                                            (dir / "s2.dat").string(), (dir / "s3.dat").string()};
    WriteFile(files[0], RawHeader() + Joined(first, 0, first.size()));
    WriteFile(files[1], RawHeader() + Joined(second, 0, second.size()) + Joined(back, 0, back.size()));
    WriteFile(files[2], RawHeader() + Joined(third, 0, third.size()));
    WriteFile(files[3], RawHeader() + Joined(fourth, 0, fourth.size()));
    const auto one = Run(files, 1);
    ASSERT_TRUE(one.finished);
    EXPECT_EQ("Warning: " + files[1] +
                  ": 1200 records earlier than the records before them dropped (overlap or duplicate file)",
              one.said[0]);
    const auto four = Run(files, 4);
    EXPECT_EQ(one.results, four.results);
    EXPECT_EQ(one.said, four.said);
    ExpectSameTally(one.tally, four.tally);
}

TEST_F(StreamRunTest, FortyFilesGiveTheSameBytesOnOneTwoAndSevenThreads) {
    // Files of 7 minutes 13 seconds: half hours span every boundary, some
    // two of them.
    const auto lines = Records(SecondOf(2024, 2, 28, 21, 0), 40 * 433, 5);
    const auto files = Cut(lines, 866, "forty");
    ASSERT_EQ(40u, files.size());
    const auto one = Run(files, 1);
    ASSERT_TRUE(one.finished);
    for (const int jobs : {2, 7}) {
        const auto many = Run(files, jobs);
        EXPECT_EQ(one.results, many.results) << jobs;
        EXPECT_EQ(one.said, many.said) << jobs;
        ExpectSameTally(one.tally, many.tally);
    }
    const auto corrected = Run(files, 1, Methods::Corrected);
    ASSERT_TRUE(corrected.finished) << corrected.said.back();
    EXPECT_EQ(corrected.results, Run(files, 5, Methods::Corrected).results);
    EXPECT_EQ(0u, corrected.results.find("TIMESTAMP_START,"));
}

// The file's fields of each line after its time stamps.
std::vector<std::vector<std::string>> FileRows(const std::string& results, std::size_t timeFields) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = results.find('\n') + 1;
    while (start < results.size()) {
        std::size_t end = results.find('\n', start);
        std::string line = results.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::size_t at = 0;
        for (;;) {
            const std::size_t comma = line.find(',', at);
            fields.push_back(line.substr(at, comma - at));
            if (comma == std::string::npos) break;
            at = comma + 1;
        }
        rows.emplace_back(fields.begin() + static_cast<std::ptrdiff_t>(timeFields), fields.end());
        start = end + 1;
    }
    return rows;
}

TEST_F(StreamRunTest, TheTableHoldsTheNumbersTheFileRounds) {
    auto lines = Records(SecondOf(2024, 6, 1, 9, 50), 7200, 21);
    // The 11:00 to 11:30 half hour with every CO2 on its maximum: rejected.
    for (std::size_t i = 2 * 4200; i < 2 * 6000; ++i) {
        lines[i] = lines[i].substr(0, lines[i].find(',')) + ",3,0.5,0.1,1500,10,20,98,0\r\n";
    }
    const auto files = Cut(lines, 2500, "tab");
    for (const Methods methods : {Methods::Standard, Methods::Corrected}) {
        for (const int jobs : {1, 3}) {
            RecordingPort port;
            RunJob job;
            ResultTable table;
            job.KeepTable(&table);
            const std::string out = (dir / "table").string();
            RunInputs inputs{.methods = methods, .files = files, .outputFile = out, .jobs = jobs};
            if (methods == Methods::Corrected) inputs.site = SiteSettings{.measurementHeight = 3.0, .latitude = 45.0};
            ASSERT_TRUE(job.Run(inputs, port));
            const bool corrected = methods == Methods::Corrected;
            const std::string results = ReadFile(out + (corrected ? ".flux.csv" : ".s1w"));
            const auto rows = FileRows(results, corrected ? 2 : 1);
            ASSERT_EQ(rows.size(), table.Rows());
            ASSERT_EQ(rows.front().size(), table.columns.size());
            EXPECT_EQ(corrected ? "N" : "ustar", table.columns.front());
            for (std::size_t r = 0; r < rows.size(); ++r) {
                for (std::size_t c = 0; c < table.columns.size(); ++c) {
                    const std::string& text = rows[r][c];
                    const double value = table.values[r * table.columns.size() + c];
                    if (text.empty() || text == "-9999") {
                        EXPECT_TRUE(std::isnan(value)) << r << " " << table.columns[c];
                        continue;
                    }
                    const double written = std::stod(text);
                    EXPECT_NEAR(written, value, std::abs(written) * (corrected ? 1e-8 : 1e-5) + 1e-30)
                        << r << " " << table.columns[c];
                }
            }
            EXPECT_TRUE(results.find(corrected ? std::string("\n202406011000,202406011030,")
                                               : std::string("\n2024-06-01 10:30,")) != std::string::npos);
            EXPECT_EQ(HalfHourOf(*ParseTimeStamp("2024-06-01 10:00:00")), table.halfHours[1]);
            EXPECT_TRUE(std::isnan(table.values[3 * table.columns.size() + 1]));  // the 11:30 line: rejected
        }
    }
}

// Stops the run once asked this many times.
class StoppingPort : public RecordingPort {
public:
    explicit StoppingPort(int answers) : answers_(answers) {}
    bool CancelRequested() const override { return answers_.fetch_sub(1) <= 0; }

private:
    mutable std::atomic<int> answers_;
};

TEST_F(StreamRunTest, AStoppedRunLeavesNothingAndSaysNothing) {
    const auto files = Cut(Records(SecondOf(2024, 6, 1, 10, 0), 7200, 8), 2000, "stop");
    for (const Methods methods : {Methods::Default, Methods::Standard}) {
        for (const int jobs : {1, 3}) {
            StoppingPort port(2);
            const std::string out = (dir / "stopped").string();
            const std::vector<std::string> run =
                methods == Methods::Default ? std::vector<std::string>{files[0]} : files;
            EXPECT_FALSE(RunJob().Run({.methods = methods, .files = run, .outputFile = out, .jobs = jobs}, port));
            EXPECT_TRUE(port.messages.empty());
            for (const auto& entry : fs::directory_iterator(dir.path())) {
                EXPECT_EQ(".dat", entry.path().extension()) << entry.path();
            }
        }
    }
}

TEST_F(StreamRunTest, ABadTimeStampStopsEveryThreadCountAlikeWithNothingWritten) {
    auto lines = Records(SecondOf(2024, 6, 1, 10, 0), 3000, 9);
    lines[4321] = "\"2024-06-01T25:00:00\",1,1,1,700,10,20,98,0\r\n";
    const auto files = Cut(lines, 400, "bad");
    const auto one = Run(files, 1);
    EXPECT_FALSE(one.finished);
    EXPECT_EQ("", one.results);
    ASSERT_FALSE(one.said.empty());
    EXPECT_EQ("A time stamp of the raw data file does not read!: Can't Read Time Stamp!", one.said.back());
    for (const int jobs : {2, 6}) {
        const auto many = Run(files, jobs);
        EXPECT_FALSE(many.finished);
        EXPECT_EQ(one.said, many.said);
    }
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(".dat", entry.path().extension()) << entry.path();
    }
}

}  // namespace
}  // namespace kelvara
