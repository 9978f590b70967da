// The raw reader: half-hour blocks, labels, status screening, the pass
// limit, the second-file continuation and malformed input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "RawReader.h"
#include "TempDir.h"

namespace kelvara {
namespace {

using testing::RawHeader;
using testing::TempDir;
using testing::WriteFile;

// A record whose U and status are given as text; the other six values are
// calm ones.
std::string Line(const std::string& date, const std::string& clock, const std::string& u,
                 const std::string& status = "0", const char* eol = "\n") {
    return "\"" + date + " " + clock + "\"," + u + ",0.5,0.1,700,10,20,98," + status + eol;
}

std::string Line(const std::string& clock, double u, const char* eol = "\n") {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", u);
    return Line("2024-06-01", clock, text, "0", eol);
}

class RawReaderTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<ReaderState> reader = std::make_unique<ReaderState>();
    std::unique_ptr<BlockBuffer> block = std::make_unique<BlockBuffer>();

    void OpenFirst(const std::string& records, const std::string& header = RawHeader("\n")) {
        WriteFile(dir / "first.dat", header + records);
        ASSERT_TRUE(reader->first.Open(dir / "first.dat"));
        SkipHeaderLines(reader->first);
        reader->noSecondFile = true;
    }
    void OpenSecond(const std::string& records) {
        WriteFile(dir / "second.dat", RawHeader("\n") + records);
        ASSERT_TRUE(reader->second.Open(dir / "second.dat"));
        SkipHeaderLines(reader->second);
        reader->noSecondFile = false;
    }
    int Read() { return ReadBlock(*reader, *block); }
    std::string Label() const { return reader->BlockLabel; }
    std::string Date() const { return reader->BlockDate; }
    std::vector<float> U(int n) const { return std::vector<float>(block->U(), block->U() + n); }
};

TEST_F(RawReaderTest, HalfHourEndsBetweenTwentyNineFiftyNineAndThirty) {
    OpenFirst(Line("10:29:59.7", 1) + Line("10:29:59.8", 2) + Line("10:29:59.9", 3) +
              Line("10:30:00.0", 4) + Line("10:30:00.1", 5));
    ASSERT_EQ(3, Read());
    EXPECT_EQ("10:30", Label());
    EXPECT_EQ("2024-06-01", Date());
    EXPECT_EQ((std::vector<float>{1, 2, 3}), U(3));
    EXPECT_FALSE(reader->endOfFirstFile);

    ASSERT_EQ(2, Read());  // the carried 10:30 record is the first sample
    EXPECT_EQ("11:0", Label());
    EXPECT_EQ((std::vector<float>{4, 5}), U(2));
    EXPECT_TRUE(reader->endOfFirstFile);  // the read after the last record met the end

    EXPECT_EQ(1, Read());
    EXPECT_EQ("11:0", Label());
}

TEST_F(RawReaderTest, LabelIsTheEndOfTheHalfHourWithoutLeadingZeros) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00:00:00.0", "0:30"}, {"00:45:10.0", "1:0"},  {"13:00:00.0", "13:30"}, {"13:29:59.9", "13:30"},
        {"13:30:00.0", "14:0"}, {"23:29:00.0", "23:30"}, {"23:30:00.0", "0:0"},   {"23:59:59.9", "0:0"},
        {"9:05:00.0", "9:30"},  {"09:59:00.0", "10:0"},  {"12:5:00.0", "12:30"}};
    for (const auto& [clock, label] : cases) {
        reader = std::make_unique<ReaderState>();
        OpenFirst(Line(clock, 7.5));
        ASSERT_EQ(1, Read()) << clock;
        EXPECT_EQ(7.5f, block->U()[0]) << clock;
        EXPECT_EQ(label, Label()) << clock;
        reader->first.Close();
    }
}

TEST_F(RawReaderTest, DateIsNeverComparedAndLateBlockKeepsItsOwnDate) {
    OpenFirst(Line("2024-06-01", "10:05:00.0", "1") + Line("2024-06-02", "10:10:00.0", "2") +
              Line("2024-06-02", "23:45:00.0", "3") + Line("2024-06-03", "00:00:00.0", "4"));
    ASSERT_EQ(2, Read());
    EXPECT_EQ("2024-06-01", Date());
    EXPECT_EQ("10:30", Label());
    ASSERT_EQ(1, Read());
    EXPECT_EQ("2024-06-02", Date());
    EXPECT_EQ("0:0", Label());
    ASSERT_EQ(1, Read());
    EXPECT_EQ("2024-06-03", Date());
    EXPECT_EQ("0:30", Label());
    EXPECT_EQ(4.0f, block->U()[0]);
}

TEST_F(RawReaderTest, StatusOutsideZeroToThirteenGivesNoSample) {
    OpenFirst(Line("2024-06-01", "10:00:00.0", "1", "0") + Line("2024-06-01", "10:00:00.1", "2", "14") +
              Line("2024-06-01", "10:00:00.2", "3", "13") + Line("2024-06-01", "10:00:00.3", "4", "-1") +
              Line("2024-06-01", "10:00:00.4", "5", "abc") +  // no number reads as 0
              Line("2024-06-01", "10:00:00.5", "6", " 7\r") + Line("2024-06-01", "10:00:00.6", "7", "99"));
    ASSERT_EQ(4, Read());
    EXPECT_EQ((std::vector<float>{1, 3, 5, 6}), U(4));
}

TEST_F(RawReaderTest, BlockOfBadStatusOnlyCountsZero) {
    OpenFirst(Line("2024-06-01", "10:00:00.0", "1", "20") + Line("2024-06-01", "10:10:00.0", "2", "-5"));
    EXPECT_EQ(0, Read());
    EXPECT_EQ("10:30", Label());
    EXPECT_TRUE(reader->endOfFirstFile);
}

TEST_F(RawReaderTest, PassLimitSplitsAHalfHourIntoTwoBlocksWithTheSameLabel) {
    std::string records;
    for (int i = 0; i < 18002; ++i) {
        char u[16];
        std::snprintf(u, sizeof u, "%d", i);
        records += Line("2024-06-01", "10:15:00.0", u, i == 3 || i == 10 ? "14" : "0");
    }
    OpenFirst(records);
    ASSERT_EQ(17998, Read());  // bad records count toward the 18000 passes
    EXPECT_EQ("10:30", Label());
    std::vector<float> expected;
    for (int i = 0; i < 18000; ++i)
        if (i != 3 && i != 10) expected.push_back(static_cast<float>(i));
    EXPECT_EQ(expected, U(17998));
    EXPECT_FALSE(reader->endOfFirstFile);

    ASSERT_EQ(2, Read());
    EXPECT_EQ("10:30", Label());
    EXPECT_EQ((std::vector<float>{18000, 18001}), U(2));
    EXPECT_TRUE(reader->endOfFirstFile);
}

TEST_F(RawReaderTest, ExactlyFullBlockCarriesNothing) {
    std::string records;
    for (int i = 0; i < 18000; ++i) records += Line("10:15:00.0", i);
    records += Line("10:45:00.0", -1);
    OpenFirst(records);
    ASSERT_EQ(18000, Read());
    ASSERT_EQ(1, Read());
    EXPECT_EQ(-1.0f, block->U()[0]);
    EXPECT_EQ("11:0", Label());
}

TEST_F(RawReaderTest, HeaderOnlyOrEmptyFileGivesOneAndKeepsTheLabels) {
    for (const std::string& header : {RawHeader("\n"), std::string("a\nb\nc\nd"), std::string()}) {
        reader = std::make_unique<ReaderState>();
        std::strcpy(reader->BlockDate, "keep");
        std::strcpy(reader->BlockLabel, "keep");
        OpenFirst("", header);
        EXPECT_EQ(1, Read());
        EXPECT_TRUE(reader->endOfFirstFile);
        EXPECT_EQ("keep", Date());
        EXPECT_EQ("keep", Label());
        EXPECT_EQ(1, Read());
        reader->first.Close();
    }
}

TEST_F(RawReaderTest, EndOfFileRules) {
    // The last record without a line feed is complete.
    OpenFirst(Line("10:00:00.0", 1) + Line("10:00:00.1", 2, ""));
    ASSERT_EQ(2, Read());
    EXPECT_TRUE(reader->endOfFirstFile);

    // A record that the end cuts short gives no sample, wherever it is cut.
    for (const char* tail : {"\"2024-06-01 10:00:00.2\",3,0.5,0.1,700,10,20,98,",
                                    "\"2024-06-01 10:00:00.2\",3,0.5,0.1", "\"2024-06-01 10:0",
                                    "\""}) {
        reader = std::make_unique<ReaderState>();
        OpenFirst(Line("10:00:00.0", 1) + Line("10:00:00.1", 2) + tail);
        ASSERT_EQ(2, Read()) << tail;
        EXPECT_EQ((std::vector<float>{1, 2}), U(2));
        EXPECT_TRUE(reader->endOfFirstFile);
        reader->first.Close();
    }
}

TEST_F(RawReaderTest, OverlongFieldsAreCutWithoutShiftingTheRest) {
    std::string header = std::string(300, 'H') + "\nsecond header\nthird header\nfourth header\n";
    std::string records =
        "\"2024-06-01T23:59:59-extra 010:15:00.000000000000000000\",1.000000000000000000000000005,"
        "0.5,0.1,700,10,20,98,0000000000000000013\n"
        "\"2024-06-01 01:16:00.0\",1234567890123456789012345,0.25,0.1,700,10,20,98,0\n"
        "\"2024-06-01 01:17:00.0\",3,0.5,0.1,700,10,20,98,14000000000\n";
    OpenFirst(records, header);
    ASSERT_EQ(2, Read());
    EXPECT_EQ("2024-06-01T", Date());
    EXPECT_EQ("1:30", Label());  // hour "010" keeps "01"
    EXPECT_EQ(1.0f, block->U()[0]);
    EXPECT_EQ(0.5f, block->V()[0]);
    EXPECT_EQ(98.0f, block->sample[kP][0]);
    EXPECT_EQ(1234567890123456789.0f, block->U()[1]);
    EXPECT_EQ(0.25f, block->V()[1]);
}

TEST_F(RawReaderTest, CarriageReturnsChangeNothing) {
    std::string lf, crlf;
    for (int i = 0; i < 30; ++i) {
        std::string clock = testing::Clock(10, 20 + i, i % 3);
        lf += Line(clock, i * 0.5, "\n");
        crlf += Line(clock, i * 0.5, "\r\n");
    }
    OpenFirst(lf);
    std::vector<int> counts;
    std::vector<std::vector<float>> values;
    for (int n; !reader->endOfFirstFile;) {
        n = Read();
        counts.push_back(n);
        values.push_back(U(n));
    }
    reader = std::make_unique<ReaderState>();
    WriteFile(dir / "crlf.dat", RawHeader("\r\n") + crlf);
    ASSERT_TRUE(reader->first.Open(dir / "crlf.dat"));
    SkipHeaderLines(reader->first);
    reader->noSecondFile = true;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        ASSERT_EQ(counts[k], Read());
        EXPECT_EQ(values[k], U(counts[k]));
    }
    EXPECT_TRUE(reader->endOfFirstFile);
    EXPECT_EQ((std::vector<int>{10, 20}), counts);
}

TEST_F(RawReaderTest, NumbersReadAsAtofReadsThem) {
    OpenFirst("\"2024-06-01 10:00:00.0\",NAN,0x1p3, 12.5abc,abc,-INF,1e400,-0,0\n");
    ASSERT_EQ(1, Read());
    EXPECT_TRUE(std::isnan(block->U()[0]));
    EXPECT_EQ(8.0f, block->V()[0]);
    EXPECT_EQ(12.5f, block->W()[0]);
    EXPECT_EQ(0.0f, block->sample[kCO2][0]);
    EXPECT_EQ(-INFINITY, block->sample[kH2O][0]);
    EXPECT_EQ(INFINITY, block->sample[kTs][0]);
    EXPECT_TRUE(std::signbit(block->sample[kP][0]));
}

TEST_F(RawReaderTest, ValuesLandInColumnOrder) {
    OpenFirst("\"2024-06-01 10:00:00.0\",1.5,2.5,3.5,4.5,5.5,6.5,7.5,3\n");
    ASSERT_EQ(1, Read());
    for (int v = 0; v < kVariableCount; ++v) EXPECT_EQ(1.5f + v, block->sample[v][0]) << v;
}

TEST_F(RawReaderTest, SecondFileCompletesTheOpenHalfHourOnly) {
    OpenFirst(Line("12:14:59.8", 1) + Line("12:14:59.9", 2));
    OpenSecond(Line("12:15:00.0", 3) + Line("2024-06-01", "12:20:00.0", "4", "14") + Line("12:29:59.9", 5) +
               Line("12:30:00.0", 6) + Line("12:31:00.0", 7));
    ASSERT_EQ(4, Read());
    EXPECT_EQ((std::vector<float>{1, 2, 3, 5}), U(4));
    EXPECT_EQ("12:30", Label());
    EXPECT_TRUE(reader->endOfFirstFile);
    EXPECT_EQ(1, Read());  // the 12:30 record was dropped, not carried
    EXPECT_EQ("12:30", Label());
}

TEST_F(RawReaderTest, SecondFileOfAnotherHalfHourAddsNothing) {
    OpenFirst(Line("12:14:59.8", 1) + Line("12:14:59.9", 2));
    OpenSecond(Line("12:30:00.0", 3) + Line("12:30:00.1", 4));
    ASSERT_EQ(2, Read());
    EXPECT_EQ((std::vector<float>{1, 2}), U(2));
}

TEST_F(RawReaderTest, ShortSecondFileAddsUpToItsEnd) {
    OpenFirst(Line("12:14:59.9", 1));
    OpenSecond(Line("12:15:00.0", 2) + Line("12:20:00.0", 3) + "\"2024-06-01 12:21:00.0\",4,0.5");
    ASSERT_EQ(3, Read());
    EXPECT_EQ((std::vector<float>{1, 2, 3}), U(3));
    EXPECT_EQ(1, Read());
}

TEST_F(RawReaderTest, CarriedRecordBlockIsCompletedFromTheSecondFile) {
    OpenFirst(Line("12:10:00.0", 1) + Line("12:11:00.0", 2) + Line("2024-06-02", "12:40:00.0", "3"));
    OpenSecond(Line("12:45:00.0", 4) + Line("12:50:00.0", 5) + Line("13:00:00.0", 6));
    ASSERT_EQ(2, Read());
    EXPECT_FALSE(reader->endOfFirstFile);
    ASSERT_EQ(3, Read());
    EXPECT_EQ((std::vector<float>{3, 4, 5}), U(3));
    EXPECT_EQ("2024-06-02", Date());
    EXPECT_EQ("13:0", Label());
    EXPECT_TRUE(reader->endOfFirstFile);
}

TEST_F(RawReaderTest, SecondFileStopsAtTheBlockCapacity) {
    std::string first;
    for (int i = 0; i < 17999; ++i) first += Line("12:05:00.0", i);
    OpenFirst(first);
    OpenSecond(Line("12:06:00.0", -1) + Line("12:06:00.1", -2) + Line("12:06:00.2", -3));
    ASSERT_EQ(18000, Read());
    EXPECT_EQ(-1.0f, block->U()[17999]);
}

TEST_F(RawReaderTest, SurvivesGarbageAndShortRecords) {
    std::string garbage = "\"2024-06-01 10:00:00.0\",1,2\n\"2024-06-01 10:00:00.1\",3,4,5\n,,,,,,,,,,,\n::::\n";
    testing::Noise noise(99);
    for (int i = 0; i < 200000; ++i) {
        static const char alphabet[] = "0123456789.,: \"\n\r-eEx+aN\t";
        garbage += alphabet[static_cast<int>((noise.Next() + 1.0) * 0.5 * (sizeof alphabet - 1))];
    }
    garbage += std::string(5000, '7') + "," + std::string(3, '\0') + "\n";
    OpenFirst(garbage);
    int calls = 0;
    while (!reader->endOfFirstFile && calls < 1000000) {
        int n = Read();
        ASSERT_GE(n, 0);
        ASSERT_LE(n, kBlockCapacity);
        ASSERT_LT(std::strlen(reader->BlockDate), sizeof reader->BlockDate);
        ASSERT_LT(std::strlen(reader->BlockLabel), sizeof reader->BlockLabel);
        ++calls;
    }
    EXPECT_TRUE(reader->endOfFirstFile);
}

TEST_F(RawReaderTest, StreamMeetsTheEndOnlyByReading) {
    WriteFile(dir / "s.dat", "ab,cdef\nxyz");
    RawStream stream;
    ASSERT_TRUE(stream.Open(dir / "s.dat"));
    EXPECT_EQ(11, stream.Size());
    char out[8];
    EXPECT_EQ(1, stream.ReadField(',', 1, out));  // cut at the width, read on to the comma
    EXPECT_STREQ("a", out);
    stream.SkipLine();
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_EQ(-1, stream.ReadField(',', 5, out));  // the end came before the delimiter
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(RawStream::kEnd, stream.Get());

    RawStream again;
    ASSERT_TRUE(again.Open(dir / "s.dat"));
    again.SkipLine();
    EXPECT_EQ(3, again.ReadField('\n', 5, out, true));
    EXPECT_STREQ("xyz", out);
    EXPECT_EQ(-1, again.ReadField('\n', 5, out, true));

    RawStream missing;
    EXPECT_FALSE(missing.Open(dir / "absent.dat"));
    EXPECT_FALSE(missing.IsOpen());
}

}  // namespace
}  // namespace kelvara
