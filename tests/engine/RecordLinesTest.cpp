// The one-pass parse of whole record lines gives, line for line, what the
// character reader makes of them, and leaves to it every line whose fields
// run past the line end.

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "TempDir.h"
#include "io/PieceOffer.h"
#include "io/RawStream.h"
#include "io/RecordLines.h"

namespace kelvara {
namespace {

using testing::WriteFile;
using namespace std::string_literals;

// The text with the padding that the parse may read past its end.
std::vector<char> Padded(const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.resize(text.size() + RawStream::kPadding, '\0');
    return bytes;
}

void ExpectSameRecord(const RawRecord& parsed, const RawRecord& read, const std::string& line) {
    for (int v = 0; v < kVariableCount; ++v) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(parsed.value[v]), std::bit_cast<std::uint32_t>(read.value[v]))
            << "value " << v << " of " << line;
    }
    EXPECT_EQ(parsed.status, read.status) << line;
    EXPECT_EQ(parsed.key, read.key) << line;
    EXPECT_STREQ(parsed.date, read.date) << line;
}

class RecordLinesTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    std::unique_ptr<RecordColumns> columns = std::make_unique<RecordColumns>();

    // Parses the lines, then reads the same bytes with the character reader
    // (behind four header lines): the parsed records must be its first ones,
    // each ending where it does. Returns how many lines the parse took.
    int ParseAndCompare(const std::string& lines) {
        const std::vector<char> bytes = Padded(lines);
        const char* stop = ParseRecordLines(bytes.data(), bytes.data() + lines.size(), *columns);
        EXPECT_EQ(stop - bytes.data(), columns->count == 0 ? 0 : std::ptrdiff_t{columns->lineEnd[columns->count - 1]});
        WriteFile(dir / "raw.dat", "h\nh\nh\nh\n" + lines);
        RawStream stream;
        EXPECT_TRUE(stream.Open(dir / "raw.dat"));
        for (int line = 0; line < 4; ++line) stream.SkipLine();
        for (int i = 0; i < columns->count; ++i) {
            RawRecord read;
            RawRecord parsed;
            EXPECT_TRUE(ReadWholeRecord(stream, read));
            TakeRecord(*columns, i, bytes.data(), parsed);
            ExpectSameRecord(parsed, read, lines.substr(columns->LineBegin(i), 80));
            EXPECT_EQ(stream.Consumed() - 8, std::int64_t{columns->lineEnd[i]});
        }
        return columns->count;
    }
};

TEST_F(RecordLinesTest, EveryWellFormedLineReadsAsTheCharacterReaderReadsIt) {
    const std::string lines[] = {
        "\"2024-06-01 00:00:00.0\",-2.896,2.726,0.045,734.11,9.283,16.37,97.66,0\r\n",
        "\"2024-06-01 23:59:59.9\",-0.000,-0,.5,5.,-.25,1234567,9999999.,13\n",
        // Longer numbers, exponents, signs, blanks, words: the general reading.
        "\"2024-06-01 12:30:00\",12345678,0.123456789,1e5,+2.5, 7,nan,-inf,0\n",
        "\"2024-06-01 12:30:00\",1234567890123456789012345,1.00000000000000011102230246251565,0x1p3,,-,.,abc,5\n",
        // Clock texts of one, three or no digits; dates longer than their field.
        "\"2024-06-01 7:5:0\",1,2,3,4,5,6,7,8\n",
        "\"2024-06-01-and-more 123:456:00\",1,2,3,4,5,6,7,9\n",
        "x :::,1,2,3,4,5,6,7,\n",
        "\"2024-06-01 +1: 31:00\",1,2,3,4,5,6,7,-1\n",
        // Status texts: long, signed, with trailing text, none.
        "\"2024-06-01 10:00:00\",1,2,3,4,5,6,7,12345678901\r\n",
        "\"2024-06-01 10:00:00\",1,2,3,4,5,6,7, 14 extra, fields\n",
        // A line feed right after the leading character's line, a null byte.
        "\"2024-06-01 10:00:00\",1,2\0\x33,4,5,6,7,8\0,0\n"s,
        "\"2024-06-01 10:00:00\",1,2,3,4,5,6,7,0,1,2,3,4,5,6,7,8,9,0,1,2,3,4,5,6,7,8,9,0,1,2,3,4,5,6,7,8,9\n",
    };
    std::string all;
    for (const std::string& line : lines) all += line;
    EXPECT_EQ(ParseAndCompare(all), static_cast<int>(std::size(lines)));
}

// Lines that begin as the line before, to the minute's colon, take its
// date, hour and minute unscanned; any byte of difference, a clock of other
// widths or a time stamp too long to compare is scanned anew.
TEST_F(RecordLinesTest, LinesOfTheSameMinuteReadAsEachOnItsOwn) {
    const std::string lines[] = {
        "\"2024-06-01 10:00:00.0\",1,2,3,4,5,6,7,0\n",
        "\"2024-06-01 10:00:00.1\",1.5,2,3,4,5,6,7,1\n",
        "\"2024-06-01 10:00:59.9\",-1,2,3,4,5,6,7,2\r\n",
        "\"2024-06-01 10:01:00\",1,2,3,4,5,6,7,3\n",
        "\"2024-06-01 10:31:00\",1,2,3,4,5,6,7,4\n",
        "\"2024-06-01 11:31:00\",1,2,3,4,5,6,7,5\n",
        "\"2024-06-02 11:31:00\",1,2,3,4,5,6,7,6\n",
        "\"2024-06-02 11:31:,1,2,3,4,5,6,7,7\n",
        "\"2024-06-02 1:31:00\",1,2,3,4,5,6,7,8\n",
        "\"2024-06-02 11:3:00\",1,2,3,4,5,6,7,9\n",
        "\"2024-06-02 11:31:00\",1,2,3,4,5,6,7,10\n",
        "\"2024-06-02-and-a-longer-date 11:31:00\",1,2,3,4,5,6,7,11\n",
        "\"2024-06-02-and-a-longer-date 11:31:01\",1,2,3,4,5,6,7,12\n",
        "\"2024-06-02-and-a-longer-date 11:59:01\",1,2,3,4,5,6,7,13\n",
        "\"2024-06-02 11:59:01\",1,2,3,4,5,6,7,0\n",
        "\"2024-06-02 11:59:02\",1,2,3,4,5,6,7,0\n",
    };
    std::string all;
    for (const std::string& line : lines) all += line;
    EXPECT_EQ(ParseAndCompare(all), static_cast<int>(std::size(lines)));
    // A line of the same minute whose values run past its end still stops the parse there.
    EXPECT_EQ(ParseAndCompare(lines[0] + lines[1] + "\"2024-06-01 10:00:00.2\",1,2,3\n" + lines[2]), 2);
}

TEST_F(RecordLinesTest, ALineWhoseFieldsRunPastItsEndIsLeftToTheCharacterReader) {
    const std::string good = "\"2024-06-01 10:00:00\",1,2,3,4,5,6,7,0\n";
    const std::string shortLines[] = {
        "\"2024-06-01 10:00:00\",1,2,3,4,5,6\n",  // six values
        "\"2024-06-01 10:00\n",                   // no second colon
        "\"2024-06-01\n",                         // no blank
        "\n",                                     // the leading character is the line feed
    };
    for (const std::string& bad : shortLines) {
        EXPECT_EQ(ParseAndCompare(good + good + bad + good), 2) << bad;
    }
}

// Reads the lines (behind four header lines) with the reader of parsed
// lines and with the character reader: the same records, each ending where
// the character reader's does, whether the reader parses alone, or offers
// each buffer in pieces, and its next load, to another thread and a helper
// takes them or nobody does.
void ExpectTheCharacterReadersRecords(const std::filesystem::path& file, const std::string& lines, int atLeast) {
    WriteFile(file, "h\nh\nh\nh\n" + lines);
    enum class Sharing { None, Untaken, Helped };
    for (const Sharing sharing : {Sharing::None, Sharing::Untaken, Sharing::Helped}) {
        SCOPED_TRACE(static_cast<int>(sharing));
        const bool helped = sharing == Sharing::Helped;
        RawStream parsedStream;
        RawStream readStream;
        ASSERT_TRUE(parsedStream.Open(file));
        ASSERT_TRUE(readStream.Open(file));
        for (int line = 0; line < 4; ++line) {
            parsedStream.SkipLine();
            readStream.SkipLine();
        }
        PieceOffer offer;
        std::atomic<bool> done{false};
        std::atomic<int> helps{0};
        std::jthread helper([&] {
            while (helped && !done) {
                if (offer.Help()) ++helps;
                std::this_thread::yield();
            }
        });
        DefaultRecordReader reader;
        if (sharing != Sharing::None) reader.ShareParsing(&offer);
        int records = 0;
        for (;;) {
            RawRecord parsed;
            RawRecord read;
            const bool parsedOne = reader.ReadWhole(parsedStream, parsed);
            ASSERT_EQ(parsedOne, ReadWholeRecord(readStream, read)) << "record " << records;
            if (!parsedOne) break;
            ExpectSameRecord(parsed, read, "record " + std::to_string(records));
            ASSERT_EQ(parsedStream.Consumed(), readStream.Consumed()) << "record " << records;
            ++records;
        }
        done = true;
        EXPECT_GT(records, atLeast);
        EXPECT_EQ(helped, helps > 0);
    }
}

// Several buffers of lines, short ones (more per buffer than the columns
// hold) and long ones, with malformed lines here and there.
TEST_F(RecordLinesTest, SharedParsingReadsWhatTheCharacterReaderReads) {
    std::string lines;
    for (int i = 0; i < 60000; ++i) {
        const std::string values = i < 20000 ? "1,2,3,4,5,6,7" : "-2.896,2.726,0.045,734.11,9.283,16.37,97.66";
        if (i % 4999 == 17) {
            lines += "\"2024-06-01 10:00:00\",1,2,3,4,5,6\n";  // its fields run into the next line
        } else if (i % 7919 == 5) {
            lines += "\n";
        } else {
            lines += "x " + std::to_string(i / 18000 % 24) + ":" + std::to_string(i / 300 % 60) + ":00," + values +
                     "," + std::to_string(i % 15) + "\n";
        }
    }
    ExpectTheCharacterReadersRecords(dir / "raw.dat", lines, 59000);
}

// Malformed lines at random, one in eight, and now and then a line longer
// than a piece: wherever they fall against the pieces and the buffers.
TEST_F(RecordLinesTest, SharedParsingReadsRandomMalformedLinesAsTheCharacterReader) {
    const std::string malformed[] = {
        "\"2024-06-01 10:00:00\",1,2,3,4,5,6\n",  // its fields run into the next line
        "\n",                                     // the line feed as the leading character
    };
    const std::string longLine = "x 10:20:00,1,2,3,4,5,6,7," + std::string(40000, '9') + "\n";
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string lines;
        for (int i = 0; i < 30000; ++i) {
            if (random() % 2000 == 0) {
                lines += longLine;
            } else if (random() % 8 == 0) {
                lines += malformed[random() % std::size(malformed)];
            } else {
                lines += "x " + std::to_string(i / 3600 % 24) + ":" + std::to_string(i / 60 % 60) + ":00," +
                         std::string(random() % 30, '1') + ",2.5,-3,4,5,6,7," + std::to_string(random() % 20) + "\n";
            }
        }
        ExpectTheCharacterReadersRecords(dir / "raw.dat", lines, 20000);
    }
}

}  // namespace
}  // namespace kelvara
