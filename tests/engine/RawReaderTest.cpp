// The raw reader: half-hour blocks and their labels, status screening, the
// pass limit, the end of a file, the second-file continuation and malformed
// input.

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include "EngineTestSupport.h"
#include "io/RawReader.h"
#include "TempDir.h"

namespace kelvara {
namespace {

using testing::RawHeader;
using testing::WriteFile;

// A record with the given clock, U text and status; the other values calm.
std::string L(const std::string& clock, const std::string& u, const std::string& status = "0",
              const std::string& date = "2024-06-01", const char* eol = "\n") {
    return "\"" + date + " " + clock + "\"," + u + ",0.5,0.1,700,10,20,98," + status + eol;
}

class RawReaderTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    std::unique_ptr<RawReader> reader = std::make_unique<RawReader>();
    std::unique_ptr<BlockBuffer> block = std::make_unique<BlockBuffer>();

    // One reader for the whole test: each file starts afresh.
    void Open(const std::string& records, const std::string& header = RawHeader("\n")) {
        reader->Close();
        WriteFile(dir / "first.dat", header + records);
        ASSERT_TRUE(reader->OpenFirst(dir / "first.dat"));
    }
    void OpenSecond(const std::string& records) {
        WriteFile(dir / "second.dat", RawHeader("\n") + records);
        ASSERT_TRUE(reader->OpenSecond(dir / "second.dat"));
    }
    // One ReadBlock as "count label date", the U samples of a small block,
    // and "eof" once the end of the first file was found.
    std::string Read() {
        const int n = reader->ReadBlock(*block);
        std::ostringstream text;
        text << n << ' ' << reader->BlockLabel() << ' ' << reader->BlockDate();
        for (int i = 0; i < n && n <= 8; ++i) text << ' ' << block->U()[i];
        if (reader->FirstFileEnded()) text << " eof";
        return text.str();
    }
};

TEST_F(RawReaderTest, HalfHoursLabelsAndDates) {
    Open(L("10:29:59.7", "1") + L("10:29:59.8", "2") + L("10:29:59.9", "3") + L("10:30:00.0", "4") +
         L("10:30:00.1", "5"));
    EXPECT_EQ("3 10:30 2024-06-01 1 2 3", Read());
    EXPECT_EQ("2 11:0 2024-06-01 4 5 eof", Read());  // the carried record first; the end is met by reading
    EXPECT_EQ("1 11:0 2024-06-01 4 eof", Read());    // at the end on entry: 1, labels kept

    for (auto [clock, label] : {std::pair{"00:00:00.0", "0:30"},
                                {"00:45:10.0", "1:0"},
                                {"13:00:00.0", "13:30"},
                                {"13:30:00.0", "14:0"},
                                {"23:29:00.0", "23:30"},
                                {"23:59:59.9", "0:0"},
                                {"9:05:00.0", "9:30"},
                                {"09:59:00.0", "10:0"},
                                {"12:5:00.0", "12:30"}}) {
        Open(L(clock, "7.5"));
        EXPECT_EQ(std::string("1 ") + label + " 2024-06-01 7.5 eof", Read()) << clock;
    }
    // The date is never compared; the 23:30 block keeps its own day's date.
    Open(L("10:05:00.0", "1") + L("10:10:00.0", "2", "0", "2024-06-02") + L("23:45:00.0", "3", "0", "2024-06-02") +
         L("00:00:00.0", "4", "0", "2024-06-03"));
    EXPECT_EQ("2 10:30 2024-06-01 1 2", Read());
    EXPECT_EQ("1 0:0 2024-06-02 3", Read());
    EXPECT_EQ("1 0:30 2024-06-03 4 eof", Read());
}

TEST_F(RawReaderTest, StatusOutsideZeroToThirteenGivesNoSampleButUsesAPass) {
    Open(L("10:00:00.0", "1") + L("10:00:00.1", "2", "14") + L("10:00:00.2", "3", "13") + L("10:00:00.3", "4", "-1") +
         L("10:00:00.4", "5", "abc") + L("10:00:00.5", "6", " 7\r") + L("10:00:00.6", "7", "99"));
    EXPECT_EQ("4 10:30 2024-06-01 1 3 5 6 eof", Read());
    Open(L("10:00:00.0", "1", "20") + L("10:10:00.0", "2", "-5"));
    EXPECT_EQ("0 10:30 2024-06-01 eof", Read());

    std::string records;  // more than 18000 passes split the half hour, same label
    for (int i = 0; i < 18002; ++i) records += L("10:15:00.0", std::to_string(i), i == 3 || i == 10 ? "14" : "0");
    Open(records);
    EXPECT_EQ("17998 10:30 2024-06-01", Read());
    EXPECT_EQ(17999.0f, block->U()[17997]);
    EXPECT_EQ("2 10:30 2024-06-01 18000 18001 eof", Read());
}

TEST_F(RawReaderTest, EndOfFile) {
    Open(L("16:40:00.0", "1"), RawHeader("\n"));
    EXPECT_EQ("1 17:0 2024-06-01 1 eof", Read());
    for (const std::string& header : {RawHeader("\n"), std::string("a\nb\nc\nd"), std::string()}) {
        Open("", header);
        EXPECT_EQ("1 17:0 2024-06-01 1 eof", Read());  // nothing read: the last block's labels stay
    }
    Open(L("10:00:00.0", "1") + L("10:00:00.1", "2", "0", "2024-06-01", ""));  // complete without its line end
    EXPECT_EQ("2 10:30 2024-06-01 1 2 eof", Read());
    for (const char* cut : {"\"2024-06-01 10:00:00.2\",3,0.5,0.1,700,10,20,98,", "\"2024-06-01 10:00:00.2\",3,0.5",
                            "\"2024-06-01 10:0", "\""}) {
        Open(L("10:00:00.0", "1") + L("10:00:00.1", "2") + cut);
        EXPECT_EQ("2 10:30 2024-06-01 1 2 eof", Read()) << cut;
    }
}

TEST_F(RawReaderTest, OverlongFieldsAreCutWithoutShiftingAndValuesReadAsAtof) {
    Open(
        "\"2024-06-01T23:59:59-extra 010:15:00.000000000000000000\",1.000000000000000000000000005,"
        "0.5,0.1,700,10,20,98,0000000000000000013\n"
        "\"2024-06-01 01:16:00.0\",1234567890123456789012345,0.25,0.1,700,10,20,98,0\r\n"
        "\"2024-06-01 01:17:00.0\",NAN,0x1p3, 12.5abc,abc,-INF,1e400,-0, 7\r\n"
        "\"2024-06-01 01:18:00.0\",3,0.5,0.1,700,10,20,98,14000000000\n",
        std::string(300, 'H') + "\nh2\nh3\nh4\n");
    EXPECT_EQ("3 1:30 2024-06-01T 1 1.23457e+18 nan eof", Read());  // hour "010" keeps "01"
    EXPECT_EQ(0.5f, block->V()[0]);
    EXPECT_EQ(98.0f, block->sample[kP][0]);
    EXPECT_EQ(0.25f, block->V()[1]);
    const float inf = std::numeric_limits<float>::infinity();
    const float third[kVariableCount] = {std::numeric_limits<float>::quiet_NaN(), 8, 12.5f, 0, -inf, inf, -0.0f};
    for (int v = 0; v < kVariableCount; ++v) EXPECT_SAME_FLOAT(third[v], block->sample[v][2]) << v;
}

TEST_F(RawReaderTest, SecondFileCompletesTheHalfHourOpenAtTheEndOfTheFirst) {
    Open(L("12:14:59.8", "1") + L("12:14:59.9", "2"));
    OpenSecond(L("12:15:00.0", "3") + L("12:20:00.0", "4", "14") + L("12:29:59.9", "5") + L("12:30:00.0", "6") +
               L("12:31:00.0", "7"));
    EXPECT_EQ("4 12:30 2024-06-01 1 2 3 5 eof", Read());
    EXPECT_EQ(1, reader->ReadBlock(*block));  // the 12:30 record was dropped, nothing more is read

    Open(L("12:14:59.9", "1"));
    OpenSecond(L("12:30:00.0", "3") + L("12:30:00.1", "4"));
    EXPECT_EQ("1 12:30 2024-06-01 1 eof", Read());  // another half hour adds nothing
    Open(L("12:14:59.9", "1"));
    OpenSecond(L("12:15:00.0", "2") + L("12:20:00.0", "3") + "\"2024-06-01 12:21:00.0\",4,0.5");
    EXPECT_EQ("3 12:30 2024-06-01 1 2 3 eof", Read());  // up to the second file's end

    Open(L("12:10:00.0", "1") + L("12:11:00.0", "2") + L("12:40:00.0", "3", "0", "2024-06-02"));
    OpenSecond(L("12:45:00.0", "4") + L("12:50:00.0", "5") + L("13:00:00.0", "6"));
    EXPECT_EQ("2 12:30 2024-06-01 1 2", Read());
    EXPECT_EQ("3 13:0 2024-06-02 3 4 5 eof", Read());  // the carried record's block

    std::string records;
    for (int i = 0; i < 17999; ++i) records += L("12:05:00.0", "1");
    Open(records);
    OpenSecond(L("12:06:00.0", "-1") + L("12:06:00.1", "-2"));
    EXPECT_EQ("18000 12:30 2024-06-01 eof", Read());  // never past the capacity
    EXPECT_EQ(-1.0f, block->U()[17999]);
}

TEST_F(RawReaderTest, SurvivesGarbage) {
    std::string garbage =
        "\"2024-06-01 10:00:00.0\",1,2\n,,,,,,,,,,,\n::::\n" + std::string(5000, '7') + std::string(",\0\0\n", 4);
    std::uint32_t seed = 99;
    static const char alphabet[] = "0123456789.,: \"\n\r-eEx+aN\t";
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += alphabet[(seed >> 8) % (sizeof alphabet - 1)];
    }
    Open(garbage);
    for (int calls = 0; !reader->FirstFileEnded() && calls < 1000000; ++calls) {
        const int n = reader->ReadBlock(*block);
        ASSERT_TRUE(n >= 0 && n <= kBlockCapacity) << n;
        ASSERT_LE(std::strlen(reader->BlockDate()), static_cast<std::size_t>(kDateWidth));
        ASSERT_LE(std::strlen(reader->BlockLabel()), static_cast<std::size_t>(kDateWidth));
    }
    EXPECT_TRUE(reader->FirstFileEnded());
}

}  // namespace
}  // namespace kelvara
