// The standard methods' reader: several raw files as one stream of whole half
// hours, whatever their length, and the Time field with its date.

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "TempDir.h"
#include "io/BlockTime.h"
#include "io/StreamReader.h"

namespace kelvara {
namespace {

using testing::RawHeader;
using testing::WriteFile;

// A record with the given clock, U text and status; the other values calm.
std::string L(const std::string& clock, const std::string& u, const std::string& status = "0",
              const std::string& date = "2024-06-01") {
    return "\"" + date + " " + clock + "\"," + u + ",0.5,0.1,700,10,20,98," + status + "\n";
}

// count records at hz from hour:minute:00, U counting up from first.
std::string Records(int hour, int minute, int count, int hz, int first = 0) {
    std::string text;
    char clock[32];
    for (int i = 0; i < count; ++i) {
        const int tenths = i * 10 / hz;
        std::snprintf(clock, sizeof clock, "%02d:%02d:%02d.%d", hour + (minute + tenths / 600) / 60,
                      (minute + tenths / 600) % 60, tenths / 10 % 60, tenths % 10);
        text += L(clock, std::to_string(first + i));
    }
    return text;
}

class StreamReaderTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    StreamReader reader;
    std::unique_ptr<StandardBlock> block = std::make_unique<StandardBlock>();

    // Files named f0.dat, f1.dat, ... holding the header and the records.
    void Start(const std::vector<std::string>& records) {
        std::vector<std::filesystem::path> files;
        for (std::size_t i = 0; i < records.size(); ++i) {
            files.push_back(dir / ("f" + std::to_string(i) + ".dat"));
            WriteFile(files.back(), RawHeader("\n") + records[i]);
        }
        reader.Start(files);
    }
    // Every block as "Time count", with the U samples of a small one.
    std::vector<std::string> ReadAll() {
        std::vector<std::string> blocks;
        while (reader.ReadBlock(*block)) {
            char time[kBlockTimeSize];
            FormatBlockTime(reader.BlockDate(), reader.BlockKey(), time);
            std::ostringstream text;
            text << time << ' ' << block->count;
            for (int i = 0; i < block->count && block->count <= 8; ++i) text << ' ' << block->sample[kU][i];
            blocks.push_back(text.str());
        }
        return blocks;
    }
};

using Blocks = std::vector<std::string>;

TEST_F(StreamReaderTest, ARecordThatAFileEndCutsShortIsNoRecord) {
    // The cut record, of another half hour, neither ends the block nor
    // gives a sample; the next file's first record continues it.
    Start({L("10:10:00.0", "1") + "\"2024-06-01 10:45:00.0\",9,0.5,0.1", L("10:20:00.0", "2"),
           // A last record without a line end is complete.
           L("10:21:00.0", "3").substr(0, L("10:21:00.0", "3").size() - 1), L("10:22:00.0", "4")});
    EXPECT_EQ((Blocks{"2024-06-01 10:30 4 1 2 3 4"}), ReadAll());
    EXPECT_EQ(4, reader.RecordCounts().records);
}

TEST_F(StreamReaderTest, StatusDropsSamplesButTheFirstRecordNamesTheBlock) {
    // As in the default reader: a bad record gives no sample and ends no
    // block, yet a block's first record keys it even when it is bad.
    Start({L("10:29:00.0", "1", "14") + L("10:31:00.0", "2") + L("10:32:00.0", "3", "-1") + L("11:01:00.0", "4", "99") +
           L("10:33:00.0", "5")});
    EXPECT_EQ((Blocks{"2024-06-01 10:30 0", "2024-06-01 11:00 2 2 5"}), ReadAll());
    EXPECT_EQ(5, reader.RecordCounts().records);
    EXPECT_EQ(3, reader.RecordCounts().badStatus);
}

TEST_F(StreamReaderTest, TwentyHertzHalfHourIsOneBlockAndALongerOneGrowsTheBuffer) {
    // 36000 records at 20 Hz, then 90000 at 50 Hz: more than the room the
    // block starts with, so it grows and must keep every sample in order.
    Start({Records(10, 0, 36000, 20) + Records(10, 30, 90000, 50, 100000), Records(11, 0, 5, 10)});
    ASSERT_TRUE(reader.ReadBlock(*block));
    EXPECT_EQ(36000, block->count);
    EXPECT_EQ(35999.0f, block->sample[kU][35999]);
    ASSERT_TRUE(reader.ReadBlock(*block));
    ASSERT_EQ(90000, block->count);
    bool inOrder = true;
    for (int i = 0; i < block->count; ++i) inOrder = inOrder && block->sample[kU][i] == static_cast<float>(100000 + i);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(0.5f, block->sample[kV][89999]);
    const int grown = block->Capacity();
    EXPECT_GE(grown, 90000);
    ASSERT_TRUE(reader.ReadBlock(*block));
    EXPECT_EQ(5, block->count);
    EXPECT_EQ(grown, block->Capacity());
    EXPECT_FALSE(reader.ReadBlock(*block));
}

TEST_F(StreamReaderTest, AFileThatWillNotOpenOrReadFailsTheStream) {
    Start({L("10:10:00.0", "1"), L("10:11:00.0", "2")});
    reader.Start({dir / "f0.dat", dir / "absent.dat", dir / "f1.dat"});
    EXPECT_FALSE(reader.ReadBlock(*block));  // the half hour is incomplete: no block
    EXPECT_TRUE(reader.OpenFailed());
    EXPECT_EQ(1u, reader.FailedFile());

    testing::FailingStreams failing;
    testing::FailingStreams::bytesBeforeFailure = static_cast<long>(RawHeader("\n").size()) + 30;
    WriteFile(dir / "failing.dat", RawHeader("\n") + L("10:10:00.0", "1") + L("10:40:00.0", "2"));
    reader.Start({dir / "f0.dat", dir / "failing.dat"});
    EXPECT_FALSE(reader.ReadBlock(*block));
    EXPECT_TRUE(reader.Failed());
    EXPECT_FALSE(reader.OpenFailed());
    EXPECT_EQ(EIO, reader.FailureError());
    EXPECT_EQ(1u, reader.FailedFile());
}

TEST(BlockTime, EndOfTheHalfHourWithTheDateItFallsOn) {
    const struct {
        const char* date;
        HalfHourKey key;
        const char* time;
    } cases[] = {
        {"2024-06-01", {10, 0}, "2024-06-01 10:30"},
        {"2024-06-01", {9, 30}, "2024-06-01 10:00"},
        {"2024-06-01", {23, 0}, "2024-06-01 23:30"},
        {"2024-06-01", {23, 30}, "2024-06-02 00:00"},  // the default would write "0:0" on the 1st
        {"2024-02-28", {23, 30}, "2024-02-29 00:00"},
        {"2023-02-28", {23, 30}, "2023-03-01 00:00"},
        {"1900-02-28", {23, 30}, "1900-03-01 00:00"},
        {"2000-02-29", {23, 30}, "2000-03-01 00:00"},
        {"2023-04-30", {23, 30}, "2023-05-01 00:00"},
        {"2023-12-31", {23, 30}, "2024-01-01 00:00"},
        // Date texts of another form, or no real day, stay as they stand.
        {"06/01/2024", {23, 30}, "06/01/2024 00:00"},
        {"2023-02-29", {23, 30}, "2023-02-29 00:00"},
        {"2024-6-1", {23, 30}, "2024-6-1 00:00"},
        // Odd clocks keep the default's label rule.
        {"2024-06-01", {24, 0}, "2024-06-01 00:30"},
        {"2024-06-01", {7, 75}, "2024-06-01 07:105"},
    };
    for (const auto& c : cases) {
        char time[kBlockTimeSize];
        FormatBlockTime(c.date, c.key, time);
        EXPECT_STREQ(c.time, time) << c.date << ' ' << c.key.hour << ':' << c.key.minute;
    }
}

}  // namespace
}  // namespace kelvara
