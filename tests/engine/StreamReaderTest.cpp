// The standard methods' reader: several raw files as one stream of
// calendar-true half hours, whatever their length; full time stamps, records
// earlier than those kept dropped and counted, and a stream shared by
// several readers giving what one reader gives.

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "FailingStreams.h"
#include "TempDir.h"
#include "io/BlockTime.h"
#include "io/StreamReader.h"
#include "jobs/BlockSources.h"

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
    std::vector<std::string> ReadAll() { return ReadAll(reader); }
    std::vector<std::string> ReadAll(StreamReader& from) {
        std::vector<std::string> blocks;
        while (from.ReadBlock(*block)) {
            char time[kBlockTimeSize];
            FormatHalfHourEnd(from.BlockHalfHour(), time);
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

// A logger clock that stuck: a half hour of more records than any real one
// holds stops the stream rather than fill the memory; one record fewer is
// a block like any other.
TEST_F(StreamReaderTest, AHalfHourBeyondTheLargestStopsTheStream) {
    std::string stuck;
    for (int i = 0; i < kMaxHalfHourRecords; ++i) stuck += L("10:10:00", "1");
    Start({stuck + L("10:40:00", "2")});
    ASSERT_TRUE(reader.ReadBlock(*block));
    EXPECT_EQ(kMaxHalfHourRecords, block->count);
    Start({stuck + L("10:10:00", "1")});
    EXPECT_FALSE(reader.ReadBlock(*block));
    EXPECT_TRUE(reader.BlockTooLarge());
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

TEST_F(StreamReaderTest, FullTimeStampsKeyTheAbsoluteHalfHour) {
    // ISO 'T' and '/' dates, with or without quotes and fractions; midnight
    // and the year's end take the next day; a day's jump inside a half hour
    // of the clock is another half hour.
    Start({"2023-12-31T23:45:00.05,1,0.5,0.1,700,10,20,98,0\n" + L("23:50:00", "2", "0", "2023/12/31") +
           "\"2024-01-01 00:10:00.123456789\",3,0.5,0.1,700,10,20,98,0\n" + L("00:20:00.0", "4", "0", "2024-01-02")});
    EXPECT_EQ((Blocks{"2024-01-01 00:00 2 1 2", "2024-01-01 00:30 1 3", "2024-01-02 00:30 1 4"}), ReadAll());
}

TEST_F(StreamReaderTest, ATimeStampThatDoesNotReadStopsTheStreamWithItsLine) {
    for (const std::string bad : {"07.06.2012 10:00:00", "2024-06-01 25:00:00", "2024-02-30 10:00:00", "10:00"}) {
        Start({L("10:10:00.0", "1") + "\"" + bad + "\",2,0.5,0.1,700,10,20,98,0\n"});
        EXPECT_FALSE(reader.ReadBlock(*block)) << bad;
        ASSERT_TRUE(reader.BadStamp()) << bad;
        EXPECT_EQ(6, reader.BadStamp()->line);  // four header lines, then the second record
        EXPECT_EQ("\"" + bad + "\"", reader.BadStamp()->text);
    }
}

TEST_F(StreamReaderTest, RecordsEarlierThanTheLastKeptAreDroppedAndCountedWithTheirFile) {
    // The second file overlaps the first; equal time stamps are kept, as
    // loggers that stamp whole seconds write them; a bad record earlier
    // than the last kept one counts as earlier.
    const std::string first = L("10:10:00", "1") + L("10:10:00", "2") + L("10:20:00", "3");
    Start({first, first + L("10:05:00", "4", "20") + L("10:25:00", "5")});
    EXPECT_EQ((Blocks{"2024-06-01 10:30 5 1 2 3 3 5"}), ReadAll());
    EXPECT_EQ((std::vector<std::int64_t>{0, 3}), reader.EarlierDropped());
    EXPECT_EQ(0, reader.RecordCounts().badStatus);
    EXPECT_EQ(8, reader.RecordCounts().records);
}

// Split anywhere, readers that know the time kept before their share and
// read on into the next one to end their last half hour give, joined, the
// blocks and counts of one reader.
TEST_F(StreamReaderTest, SharesOfAStreamJoinToWhatOneReaderReads) {
    Start({Records(10, 0, 25, 10) + L("10:05:00.0", "99"), Records(10, 2, 30, 10, 100), Records(10, 40, 20, 10, 200),
           L("10:41:00.0", "300", "13") + Records(11, 10, 10, 10, 400)});
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 4; ++i) files.push_back(dir / ("f" + std::to_string(i) + ".dat"));
    const Blocks whole = ReadAll();
    const ReadCounts wholeCounts = reader.RecordCounts();
    for (std::size_t split = 1; split < files.size(); ++split) {
        StreamReader before, after;
        before.Start(files, {}, {.ownFiles = split});
        Blocks joined = ReadAll(before);
        after.Start({files.begin() + static_cast<std::ptrdiff_t>(split), files.end()}, {},
                    {.keptBefore = before.LatestGoodTime()});
        for (const std::string& b : ReadAll(after)) joined.push_back(b);
        EXPECT_EQ(whole, joined) << split;
        EXPECT_EQ(wholeCounts.records, before.RecordCounts().records + after.RecordCounts().records) << split;
        EXPECT_EQ(wholeCounts.badStatus, before.RecordCounts().badStatus + after.RecordCounts().badStatus);
    }
}

}  // namespace
}  // namespace kelvara

namespace kelvara {
namespace {

// Read ahead on a thread, the blocks are the reader's own, in order, and a
// run that stops early leaves the reader's counts as of the last block
// handed on, dropped records included.
TEST_F(StreamReaderTest, ReadingAheadHandsOnTheSameBlocksAndCountsOnlyThoseUsed) {
    const std::vector<std::string> files = {Records(10, 0, 700, 10) + L("10:00:01.0", "9") + Records(10, 1, 600, 10),
                                            Records(11, 0, 500, 10, 5) + L("12:00:00.0", "1", "20")};
    Start(files);
    const Blocks expected = ReadAll();
    const ReadCounts all = reader.RecordCounts();
    const std::vector<std::int64_t> allDropped = reader.EarlierDropped();
    ASSERT_GT(allDropped.at(0), 0);
    for (std::size_t used = 1; used <= expected.size() + 1; ++used) {
        Start(files);
        reader.ResetCounts();
        auto spare = std::make_unique<StandardBlock>();
        StandardBlocks blocks(reader, *block, spare.get());
        Blocks got;
        while (got.size() < used) {
            const BlockRead<StandardBlock>* read = blocks.Next();
            if (read == nullptr) break;
            char time[kBlockTimeSize];
            FormatHalfHourEnd(read->halfHour, time);
            std::ostringstream text;
            text << time << ' ' << read->block->count;
            for (int i = 0; i < read->block->count && read->block->count <= 8; ++i) {
                text << ' ' << read->block->sample[kU][i];
            }
            got.push_back(text.str());
        }
        blocks.StopReading();
        EXPECT_EQ(got, Blocks(expected.begin(), expected.begin() + static_cast<long>(got.size())));
        StreamReader alone;
        alone.Start({dir / "f0.dat", dir / "f1.dat"});
        for (std::size_t i = 0; i < got.size(); ++i) alone.ReadBlock(*spare);
        const bool ended = got.size() < used;
        const ReadCounts counts = ended ? all : alone.RecordCounts();
        const std::vector<std::int64_t> dropped = ended ? allDropped : alone.EarlierDropped();
        EXPECT_EQ(reader.RecordCounts().records, counts.records) << used;
        EXPECT_EQ(reader.RecordCounts().badStatus, counts.badStatus) << used;
        EXPECT_EQ(reader.EarlierDropped(), dropped) << used;
    }
}

// A reader that keeps the date and minute of the record before reads every
// text, in any order, as the time stamp reading of a text on its own does.
TEST(TimeStampReaderTest, ReadsEveryTextAsParseTimeStampDoes) {
    const char* const texts[] = {"\"2024-06-01 10:00:00.1\"",
                                 "2024-06-01 10:00:00.25",
                                 "\"2024-06-01 10:00:60\"",
                                 "2024-06-01 24:00:00",
                                 "2024-06-01T23:59:59.999999999999",
                                 "2024-06-01 10:00",
                                 "2024-06-01 10:00:00x",
                                 "2024/06/01 10:00:00",
                                 "2024-06/01 10:00:00",
                                 "2024-02-30 10:00:00",
                                 "2024-02-30 10:00:00",
                                 "2024-02-29 00:00:00",
                                 "2023-02-29 00:00:00",
                                 "2024-06-01",
                                 "2024-06-01 ",
                                 " \"2024-06-01 10:30:00\" ",
                                 "\"2024-06-01 10:30:00",
                                 "2024-13-01 10:00:00",
                                 "2024-06-01 10:00:00",
                                 "",
                                 "1969-12-31 23:59:59.5",
                                 "1678-01-01 00:00:00",
                                 "2261-12-31 23:59:59.999999999",
                                 "1677-12-31 23:59:59",
                                 "2262-01-01 00:00:00",
                                 "9999-12-31 23:59:59",
                                 "2024-06-01 10:00:00.",
                                 "2024-06-01 10:00:00.1.2",
                                 "2024-06-01 10:00:00.000000001",
                                 "2024-06-01 10:00:00.1234567899"};
    TimeStampReader reader;
    for (int round = 0; round < 2; ++round) {
        for (const char* text : texts) {
            TimePoint time = 0;
            const bool read = reader.Read(text, time);
            EXPECT_EQ(read ? std::optional<TimePoint>(time) : std::nullopt, ParseTimeStamp(text)) << text;
        }
    }
}

// Nine digits of a fraction count, to the nanosecond; any after them are
// read and left out.
TEST(TimeStampReaderTest, FractionsCountToTheNanosecond) {
    const TimePoint second = kNanosecondsPerSecond;
    EXPECT_EQ(ParseTimeStamp("1970-01-01 00:00:01.5"), second + 500'000'000);
    EXPECT_EQ(ParseTimeStamp("1970-01-01 00:00:01.000000001"), second + 1);
    EXPECT_EQ(ParseTimeStamp("1970-01-01 00:00:01.1234567899"), second + 123'456'789);
    EXPECT_EQ(ParseTimeStamp("1970-01-01 00:00:01."), second);
    EXPECT_FALSE(ParseTimeStamp("1970-01-01 00:00:01.5s").has_value());
}

// Nanoseconds since 1970 hold the years 1678 to 2261 whole; a year beyond
// is a time stamp that does not read, never a time wrapped around.
TEST(TimeStampReaderTest, YearsBeyondTheTimesRangeDoNotRead) {
    EXPECT_EQ(ParseTimeStamp("1678-01-01 00:00:00"), TimePoint{-9214560000} * kNanosecondsPerSecond);
    EXPECT_EQ(ParseTimeStamp("2261-12-31 23:59:59.999999999"),
              TimePoint{9214646399} * kNanosecondsPerSecond + 999999999);
    for (const char* text :
         {"1677-12-31 23:59:59", "2262-01-01 00:00:00", "9999-12-31 23:59:59", "0000-01-01 00:00:00"}) {
        EXPECT_FALSE(ParseTimeStamp(text).has_value()) << text;
    }
}

}  // namespace
}  // namespace kelvara
