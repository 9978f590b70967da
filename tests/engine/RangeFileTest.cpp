// range.ini: lines by position, 19-character fields, atof values, built-in
// defaults, where the file lives, and a write that never leaves a broken file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "io/RangeFile.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

const RangeTexts kDefaultTexts = {"-50",  "50",  "-50", "50",  "-50", "50", "0",
                                  "1500", "-20", "100", "-50", "50",  "30", "150"};
const std::vector<float> kDefaults = {-50, 50, -50, 50, -50, 50, 0, 1500, -20, 100, -50, 50, 30, 150};

std::vector<float> Fields(const RangeLimits& limits) {
    std::vector<float> fields;
    for (int field = 0; field < kRangeFieldCount; ++field) fields.push_back(limits.Field(field));
    return fields;
}

// The 14 fields after a load into a record that held garbage.
std::vector<float> Load(const fs::path& file, bool read = true) {
    RangeLimits limits;
    for (int field = 0; field < kRangeFieldCount; ++field) limits.Field(field) = 12345.0f;
    EXPECT_EQ(read, LoadRangeLimits(limits, file));
    return Fields(limits);
}

std::vector<float> AtofEach(const RangeTexts& texts) {
    std::vector<float> values;
    for (const std::string& text : texts) values.push_back(static_cast<float>(std::atof(text.c_str())));
    return values;
}

TEST(RangeFile, WritesExactBytesAndReadsThemBack) {
    TempDir dir;
    RangeTexts texts = kDefaultTexts;
    texts[3] = "";         // written as an empty value
    texts[5] = " 5.000 ";  // never reformatted nor trimmed
    texts[13] = "1234567890123456789";
    ASSERT_TRUE(WriteRangeTexts(texts, dir / "range.ini"));
    EXPECT_EQ(
        "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t\r\nW-Min\t-50\r\nW-Max\t 5.000 \r\nCO2-Min\t0\r\n"
        "CO2-Max\t1500\r\nH2O-Min\t-20\r\nH2O-Max\t100\r\nTs-Min\t-50\r\nTs-Max\t50\r\nP-Min\t30\r\n"
        "P-Max\t1234567890123456789\r\n",
        ReadFile(dir / "range.ini"));
    RangeTexts back, backLf;
    ASSERT_TRUE(ReadRangeTexts(back, dir / "range.ini"));
    EXPECT_EQ(texts, back);

    std::string lf = ReadFile(dir / "range.ini");  // line feeds alone read the same
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    WriteFile(dir / "lf.ini", lf);
    ASSERT_TRUE(ReadRangeTexts(backLf, dir / "lf.ini"));
    EXPECT_EQ(texts, backLf);
    EXPECT_EQ(AtofEach(texts), Load(dir / "range.ini"));
    EXPECT_EQ(AtofEach(texts), Load(dir / "lf.ini"));

    ASSERT_TRUE(WriteRangeTexts(kDefaultTexts, dir / "range.ini"));  // overwriting replaces everything
    EXPECT_EQ(kDefaults, Load(dir / "range.ini"));
}

TEST(RangeFile, ValuesAreTakenByPositionAndCutAtNineteenCharacters) {
    TempDir dir;
    WriteFile(dir / "range.ini",
              "Whatever\t5\r\n"  // labels are not compared
              "U-Max\tabc\r\nV-Min\t12.5abc\r\n"
              "AVeryLongLabelThatGoesOnAndOnAndOn\t1e3\r\n"
              "W-Min\t\r\nW-Max\t  \t-7.25\r\nCO2-Min\t0x1p3\r\n"
              "CO2-Max\t1234567890123456789012345\r\n"
              "H2O-Min 100\r\n"  // no TAB: an empty value
              "\r\nTs-Min\t1e400\r\nTs-Max\t-1." +
                  std::string(100000, '1') +
                  "\r\n"
                  "P-Min\t-1e-50\r\nP-Max\t150");  // no line end after the last
    const RangeTexts expected = {"5",      "abc",       "12.5abc", "1e3",
                                 "",       "  \t-7.25", "0x1p3",   "1234567890123456789",
                                 "",       "",          "1e400",   "-1." + std::string(16, '1'),
                                 "-1e-50", "150"};
    RangeTexts texts;
    ASSERT_TRUE(ReadRangeTexts(texts, dir / "range.ini"));
    EXPECT_EQ(expected, texts);
    EXPECT_EQ(AtofEach(expected), Load(dir / "range.ini"));
}

TEST(RangeFile, ShortMissingOrDirectoryFilesGiveDefaultsAndNoTexts) {
    TempDir dir;
    WriteFile(dir / "short.ini", "U-Min\t-9\r\nU-Max\t9\r\nV-Min\t-8\r\n");
    std::vector<float> expected = kDefaults;
    expected[0] = -9, expected[1] = 9, expected[2] = -8;
    EXPECT_EQ(expected, Load(dir / "short.ini"));
    RangeTexts texts;
    texts.fill("stale");
    EXPECT_TRUE(ReadRangeTexts(texts, dir / "short.ini"));
    EXPECT_EQ((RangeTexts{"-9", "9", "-8"}), texts);

    WriteFile(dir / "empty.ini", "");
    EXPECT_EQ(kDefaults, Load(dir / "empty.ini"));
    fs::create_directory(dir / "dir.ini");
    WriteFile(dir / "dir.ini" / "keep", "x");
    for (const char* name : {"absent.ini", "dir.ini"}) {
        EXPECT_EQ(kDefaults, Load(dir / name, false)) << name;
        texts.fill("stale");
        EXPECT_FALSE(ReadRangeTexts(texts, dir / name));
        EXPECT_EQ(RangeTexts{}, texts) << name;
    }
    // A directory is no file to replace, and the failed write leaves nothing behind.
    EXPECT_FALSE(WriteRangeTexts(kDefaultTexts, dir / "dir.ini"));
    EXPECT_EQ("x", ReadFile(dir / "dir.ini" / "keep"));
    EXPECT_FALSE(WriteRangeTexts(kDefaultTexts, dir / "short.ini" / "range.ini"));
    EXPECT_EQ(3, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

#ifndef _WIN32
TEST(RangeFile, FailedWriteKeepsTheOldFileWhole) {
    TempDir dir;
    ASSERT_TRUE(WriteRangeTexts(kDefaultTexts, dir / "range.ini"));
    const std::string before = ReadFile(dir / "range.ini");
    bool written;
    {
        testing::FileSizeLimit full(40);
        written = WriteRangeTexts(RangeTexts{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
                                  dir / "range.ini");
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(before, ReadFile(dir / "range.ini"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}
#endif

TEST(RangeFile, LinesOfAnyLengthKeepOnlyWhatIsRead) {
    TempDir dir;
    // Megabytes in one line are skipped, not stored; the CR of a CR LF never
    // counts to the value, even as its twentieth character.
    WriteFile(dir / "range.ini", "U-Min\t" + std::string(3'000'000, '7') + "\r\nU-Max\t" + std::string(19, '8') +
                                     "\r\nV-Min\t" + std::string(20, '9') + "\r\n" + std::string(2'000'000, 'x') +
                                     "\nW-Min\t\r\n");
    RangeTexts texts;
    ASSERT_TRUE(ReadRangeTexts(texts, dir / "range.ini"));
    EXPECT_EQ(std::string(19, '7'), texts[0]);
    EXPECT_EQ(std::string(19, '8'), texts[1]);
    EXPECT_EQ(std::string(19, '9'), texts[2]);
    EXPECT_EQ("", texts[3]);
    EXPECT_EQ("", texts[4]);
}

TEST(RangeFile, LivesInWindirElseInTheUsersConfigDirectory) {
    struct Case {
        const char *windir, *xdg, *home, *expected;
    };
    for (const Case& c : {Case{"/opt/windows", "/xdg", "/home/s", "/opt/windows/range.ini"},
                          Case{"", "/xdg", "/home/s", "/xdg/kelvara/range.ini"},  // empty counts as unset
                          Case{nullptr, "relative/config", "/home/s", "/home/s/.config/kelvara/range.ini"},
                          Case{nullptr, "", "/home/s", "/home/s/.config/kelvara/range.ini"},
                          Case{nullptr, nullptr, "/home/s", "/home/s/.config/kelvara/range.ini"}}) {
        ScopedEnv windir("WINDIR", c.windir), xdg("XDG_CONFIG_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(fs::path(c.expected), RangeFilePath());
    }
    TempDir dir;
    ScopedEnv windir("WINDIR", nullptr), xdg("XDG_CONFIG_HOME", (dir / "config").string().c_str());
    RangeLimits limits;
    EXPECT_FALSE(LoadRangeLimits(limits));
    EXPECT_EQ(kDefaults, Fields(limits));
    ASSERT_TRUE(WriteRangeTexts(RangeTexts{"-1"}));  // creates the directory
    RangeTexts texts;
    ASSERT_TRUE(ReadRangeTexts(texts));
    EXPECT_EQ(RangeTexts{"-1"}, texts);
    ASSERT_TRUE(LoadRangeLimits(limits));
    EXPECT_EQ(-1.0f, limits.U_Min);
    EXPECT_EQ(ReadFile(dir / "config" / "kelvara" / "range.ini").substr(0, 12), "U-Min\t-1\r\nU-");
}

}  // namespace
}  // namespace kelvara
