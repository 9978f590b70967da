// A default-layout run whose time stamp has no hour where the layout looks
// for it (no blank between date and time): the run stops on that line, in
// either file, whatever the read-ahead, and no results file is written or
// replaced.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "EngineTestSupport.h"
#include "RecordingPort.h"
#include "TempDir.h"
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

// Records at 10 Hz from 10:00:00 for the seconds given, time stamps as
// stamp(line index) writes them.
template <typename Stamp>
std::string Records(int seconds, Stamp stamp) {
    std::string text;
    for (int i = 0; i < seconds * 10; ++i) {
        char clock[32];
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d.%d", 10 + i / 36000, i / 600 % 60, i / 10 % 60, i % 10);
        text += "\"" + stamp(i, std::string(clock)) + "\"," + std::to_string(1 + i % 7 * 0.25) +
                ",0.5,0.1,700,10,20,98,0\r\n";
    }
    return text;
}

std::string Plain(int, const std::string& clock) { return "2024-06-01 " + clock; }

class DefaultTimeStampTest : public ::testing::Test {
protected:
    DefaultTimeStampTest() : windir_("WINDIR", dir_.path().string().c_str()) {}

    // The run of first (and second), and the explanation it gave.
    bool Run(const std::string& first, const std::string& second = "") {
        WriteFile(dir_ / "first.dat", RawHeader() + first);
        RunInputs inputs{.files = {(dir_ / "first.dat").string()}, .outputFile = (dir_ / "out").string()};
        if (!second.empty()) {
            WriteFile(dir_ / "second.dat", RawHeader() + second);
            inputs.files.push_back((dir_ / "second.dat").string());
        }
        port_ = RecordingPort{};
        return RunJob().Run(inputs, port_);
    }
    std::string Explained() const {
        for (const std::string& event : port_.events) {
            if (event.starts_with("explain:")) return event.substr(8);
        }
        return "";
    }

    TempDir dir_;
    ScopedEnv windir_;
    RecordingPort port_;
};

TEST_F(DefaultTimeStampTest, AnIsoStampStopsTheRunOnItsLine) {
    WriteFile(dir_ / "out.r1w", "an earlier complete results file");
    EXPECT_FALSE(Run(Records(60, [](int, const std::string& clock) { return "2024-06-01T" + clock; })));
    ASSERT_FALSE(port_.messages.empty());
    EXPECT_EQ("A time stamp of the raw data file does not read!", port_.messages.back().title);
    EXPECT_EQ("Can't Read Time Stamp!", port_.messages.back().text);
    EXPECT_EQ((dir_ / "first.dat").string() +
                  ": line 5: \"2024-06-01T10:00:00.0\" is no time stamp; the default layout reads a date, a blank, "
                  "then the time hh:mm, within the first field",
              Explained());
    EXPECT_EQ("an earlier complete results file", ReadFile(dir_ / "out.r1w"));
    EXPECT_FALSE(fs::exists(dir_ / "out.r1w.partial"));
}

TEST_F(DefaultTimeStampTest, AStampLateInEitherFileIsFoundWhereItIs) {
    // Past the first half hour, so blocks were already computed.
    const auto lateInFirst = [](int i, const std::string& clock) {
        return i == 25000 ? "2024-06-01_" + clock : Plain(i, clock);
    };
    EXPECT_FALSE(Run(Records(3000, lateInFirst)));
    EXPECT_NE(std::string::npos, Explained().find("first.dat: line 25005: \"2024-06-01_10:41:40.0\"")) << Explained();
    EXPECT_FALSE(fs::exists(dir_ / "out.r1w"));

    // The second file continues the first file's last half hour.
    const auto inSecond = [](int i, const std::string& clock) {
        return i == 7 ? "2024-06-0110:00:00.7" : Plain(i, clock);
    };
    EXPECT_FALSE(Run(Records(600, Plain), Records(60, inSecond)));
    EXPECT_NE(std::string::npos, Explained().find("second.dat: line 12: \"2024-06-0110:00:00.7\"")) << Explained();
}

TEST_F(DefaultTimeStampTest, StampsTheLayoutReadsKeepReading) {
    // Seconds without a fraction or with text after them: the layout needs
    // only the date, the hour and the minute.
    const auto odd = [](int i, const std::string& clock) {
        if (i % 3 == 0) return Plain(i, clock.substr(0, 8));
        if (i % 3 == 1) return Plain(i, clock);
        return Plain(i, clock) + " UTC";
    };
    EXPECT_TRUE(Run(Records(1900, odd)));
    EXPECT_EQ("Processing Finished!", port_.messages.back().text);
    EXPECT_NE(std::string::npos, ReadFile(dir_ / "out.r1w").find("10:30"));
}

}  // namespace
}  // namespace kelvara
