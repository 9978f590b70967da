// range.ini: positions not labels, 19-character fields, atof conversion,
// built-in defaults, and a write that never leaves a broken file behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "EngineTestSupport.h"
#include "RangeLimits.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

const float* Fields(const RangeLimits& limits) { return &limits.U_Min; }

float CAtof(const std::string& text) { return static_cast<float>(std::atof(text.c_str())); }

void ExpectDefaults(const RangeLimits& limits) {
    const float defaults[kRangeFieldCount] = {-50, 50, -50, 50, -50, 50, 0, 1500,
                                              -20, 100, -50, 50, 30, 150};
    for (int i = 0; i < kRangeFieldCount; ++i) {
        EXPECT_SAME_FLOAT(defaults[i], Fields(limits)[i]) << "field " << i;
    }
}

RangeLimits Garbage() {
    RangeLimits limits;
    float* fields = &limits.U_Min;
    for (int i = 0; i < kRangeFieldCount; ++i) fields[i] = 12345.0f + i;
    return limits;
}

// A file of 14 lines "label TAB value" with the given values.
std::string RangeFileText(const RangeTexts& values, const char* eol) {
    std::string text;
    for (int i = 0; i < kRangeFieldCount; ++i) {
        text += std::string(kRangeLabels[i]) + "\t" + values[i] + eol;
    }
    return text;
}

const RangeTexts kDefaultTexts = {"-50", "50", "-50", "50", "-50", "50", "0",
                                  "1500", "-20", "100", "-50", "50", "30", "150"};

TEST(RangeLimitsRecord, LabelsAndBuiltInDefaults) {
    const char* labels[kRangeFieldCount] = {"U-Min",   "U-Max",   "V-Min",  "V-Max",  "W-Min",
                                            "W-Max",   "CO2-Min", "CO2-Max", "H2O-Min", "H2O-Max",
                                            "Ts-Min",  "Ts-Max",  "P-Min",  "P-Max"};
    for (int i = 0; i < kRangeFieldCount; ++i) EXPECT_STREQ(labels[i], kRangeLabels[i]);
    ExpectDefaults(DefaultRangeLimits());
}

TEST(RangeLimitsRecord, BoundsAreStrict) {
    EXPECT_FALSE(InRange(1500.0f, 0.0f, 1500.0f));
    EXPECT_TRUE(InRange(std::nextafter(1500.0f, 0.0f), 0.0f, 1500.0f));
    EXPECT_FALSE(InRange(30.0f, 30.0f, 150.0f));
    EXPECT_FALSE(InRange(50.0f, 100.0f, -20.0f));  // minimum above maximum: nothing in range
}

TEST(RangeFileWrite, WritesFourteenCrLfLinesExactly) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    RangeTexts texts = kDefaultTexts;
    texts[3] = "";           // an empty text is written as an empty value
    texts[5] = " 5.000 ";    // never reformatted nor trimmed
    ASSERT_TRUE(WriteRangeTexts(texts, file));
    std::string expected = RangeFileText(texts, "\r\n");
    EXPECT_EQ(expected, ReadFile(file));
    EXPECT_EQ(0u, ReadFile(file).find("U-Min\t-50\r\n"));
}

TEST(RangeFileWrite, TextsComeBackUnchanged) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    RangeTexts texts = {"-50.000", "5e1", "", "abc", "1234567890123456789", " 7", "0",
                        "12.5abc", "-0", "1e3", "+4", "0x1p3", "30.", "150"};
    ASSERT_TRUE(WriteRangeTexts(texts, file));
    RangeTexts back;
    ASSERT_TRUE(ReadRangeTexts(back, file));
    EXPECT_EQ(texts, back);

    // Overwriting replaces the whole content.
    ASSERT_TRUE(WriteRangeTexts(kDefaultTexts, file));
    ASSERT_TRUE(ReadRangeTexts(back, file));
    EXPECT_EQ(kDefaultTexts, back);
    RangeLimits limits = Garbage();
    EXPECT_TRUE(LoadRangeLimits(limits, file));
    ExpectDefaults(limits);
}

TEST(RangeFileRead, ConvertsByPositionAsAtofDoes) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    std::string text = "Whatever\t5\r\n"        // labels are not compared
                       "U-Max\tabc\r\n"         // letters only: 0
                       "V-Min\t12.5abc\r\n"     // longest leading number
                       "V-Max\t1e3\r\n"
                       "W-Min\t\r\n"            // empty value: 0
                       "W-Max\t  \t-7.25\r\n"   // leading white space skipped
                       "CO2-Min\t0x1p3\r\n"
                       "CO2-Max\t1499.99\r\n"
                       "H2O-Min\t100\r\n"
                       "H2O-Max\t-20\r\n"
                       "Ts-Min\t1e400\r\n"
                       "Ts-Max\t0.1\r\n"
                       "P-Min\t-1e-50\r\n"
                       "P-Max\t150";            // the last line may lack its line end
    WriteFile(file, text);
    RangeLimits limits = Garbage();
    EXPECT_TRUE(LoadRangeLimits(limits, file));
    EXPECT_SAME_FLOAT(5.0f, limits.U_Min);
    EXPECT_SAME_FLOAT(0.0f, limits.U_Max);
    EXPECT_SAME_FLOAT(12.5f, limits.V_Min);
    EXPECT_SAME_FLOAT(1000.0f, limits.V_Max);
    EXPECT_SAME_FLOAT(0.0f, limits.W_Min);
    EXPECT_SAME_FLOAT(-7.25f, limits.W_Max);
    EXPECT_SAME_FLOAT(8.0f, limits.CO2_Min);
    EXPECT_SAME_FLOAT(static_cast<float>(1499.99), limits.CO2_Max);
    EXPECT_SAME_FLOAT(100.0f, limits.H2O_Min);
    EXPECT_SAME_FLOAT(-20.0f, limits.H2O_Max);
    EXPECT_TRUE(std::isinf(limits.Ts_Min));
    EXPECT_SAME_FLOAT(static_cast<float>(0.1), limits.Ts_Max);
    EXPECT_SAME_FLOAT(-0.0f, limits.P_Min);
    EXPECT_SAME_FLOAT(150.0f, limits.P_Max);
}

TEST(RangeFileRead, LineFeedOnlyReadsLikeCrLf) {
    TempDir dir;
    RangeTexts texts = {"-5", "5", "-6", "6", "-1", "1", "300", "900",
                        "0", "30", "-10", "40", "80", "110"};
    WriteFile(dir / "crlf.ini", RangeFileText(texts, "\r\n"));
    WriteFile(dir / "lf.ini", RangeFileText(texts, "\n"));
    RangeLimits a = Garbage(), b = DefaultRangeLimits();
    ASSERT_TRUE(LoadRangeLimits(a, dir / "crlf.ini"));
    ASSERT_TRUE(LoadRangeLimits(b, dir / "lf.ini"));
    for (int i = 0; i < kRangeFieldCount; ++i) {
        EXPECT_SAME_FLOAT(Fields(a)[i], Fields(b)[i]);
        EXPECT_SAME_FLOAT(CAtof(texts[i]), Fields(a)[i]);
    }
    RangeTexts readCrLf, readLf;
    ASSERT_TRUE(ReadRangeTexts(readCrLf, dir / "crlf.ini"));
    ASSERT_TRUE(ReadRangeTexts(readLf, dir / "lf.ini"));
    EXPECT_EQ(texts, readCrLf);  // no carriage return left in a value
    EXPECT_EQ(texts, readLf);
}

TEST(RangeFileRead, MissingFileGivesDefaultsAndNoTexts) {
    TempDir dir;
    RangeLimits limits = Garbage();
    EXPECT_FALSE(LoadRangeLimits(limits, dir / "absent.ini"));
    ExpectDefaults(limits);
    RangeTexts texts;
    EXPECT_FALSE(ReadRangeTexts(texts, dir / "absent.ini"));
    for (const std::string& text : texts) EXPECT_TRUE(text.empty());
}

TEST(RangeFileRead, DirectoryIsNoRangeFile) {
    TempDir dir;
    fs::create_directory(dir / "range.ini");
    RangeLimits limits = Garbage();
    EXPECT_FALSE(LoadRangeLimits(limits, dir / "range.ini"));
    ExpectDefaults(limits);
    RangeTexts texts;
    EXPECT_FALSE(ReadRangeTexts(texts, dir / "range.ini"));
}

TEST(RangeFileRead, OverlongLabelOrValueNeverShiftsLaterLines) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    RangeTexts values = kDefaultTexts;
    std::string text;
    for (int i = 0; i < kRangeFieldCount; ++i) {
        std::string label = kRangeLabels[i];
        std::string value = values[i];
        if (i == 0) value = "1234567890123456789012345";          // 25 characters
        if (i == 2) label = "AVeryLongLabelThatGoesOnAndOnAndOn";  // 34 characters
        if (i == 4) value = "-1." + std::string(100000, '1');     // far beyond any buffer
        text += label + "\t" + value + "\r\n";
    }
    WriteFile(file, text);

    RangeTexts read;
    ASSERT_TRUE(ReadRangeTexts(read, file));
    EXPECT_EQ("1234567890123456789", read[0]);
    EXPECT_EQ("-50", read[2]);
    EXPECT_EQ("-1." + std::string(16, '1'), read[4]);
    for (int i : {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13}) EXPECT_EQ(values[i], read[i]) << i;

    RangeLimits limits = Garbage();
    ASSERT_TRUE(LoadRangeLimits(limits, file));
    EXPECT_SAME_FLOAT(1234567890123456789.0f, limits.U_Min);
    EXPECT_SAME_FLOAT(-50.0f, limits.V_Min);
    EXPECT_SAME_FLOAT(CAtof("-1.1111111111111111"), limits.W_Min);
    EXPECT_SAME_FLOAT(1500.0f, limits.CO2_Max);
    EXPECT_SAME_FLOAT(150.0f, limits.P_Max);
}

TEST(RangeFileRead, ShortFileKeepsDefaultsForMissingLines) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    WriteFile(file, "U-Min\t-9\r\nU-Max\t9\r\nV-Min\t-8\r\n");
    RangeLimits limits = Garbage();
    LoadRangeLimits(limits, file);
    EXPECT_SAME_FLOAT(-9.0f, limits.U_Min);
    EXPECT_SAME_FLOAT(9.0f, limits.U_Max);
    EXPECT_SAME_FLOAT(-8.0f, limits.V_Min);
    RangeLimits defaults = DefaultRangeLimits();
    for (int i = 3; i < kRangeFieldCount; ++i) {
        EXPECT_SAME_FLOAT(Fields(defaults)[i], Fields(limits)[i]) << "field " << i;
    }

    RangeTexts texts;
    texts.fill("stale");
    EXPECT_TRUE(ReadRangeTexts(texts, file));
    EXPECT_EQ("-9", texts[0]);
    EXPECT_EQ("-8", texts[2]);
    for (int i = 3; i < kRangeFieldCount; ++i) EXPECT_EQ("", texts[i]) << "field " << i;

    // An empty file is a file of no lines.
    WriteFile(file, "");
    limits = Garbage();
    LoadRangeLimits(limits, file);
    ExpectDefaults(limits);
}

TEST(RangeFileRead, LineWithoutTabOrEmptyLineGivesAnEmptyValue) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    RangeTexts values = kDefaultTexts;
    std::string text;
    for (int i = 0; i < kRangeFieldCount; ++i) {
        if (i == 1) text += "U-Max 50\r\n";  // blank instead of TAB
        else if (i == 6) text += "\r\n";     // empty line
        else if (i == 7) text += "\n";
        else text += std::string(kRangeLabels[i]) + "\t" + values[i] + "\r\n";
    }
    WriteFile(file, text);
    RangeTexts read;
    ASSERT_TRUE(ReadRangeTexts(read, file));
    EXPECT_EQ("", read[1]);
    EXPECT_EQ("", read[6]);
    EXPECT_EQ("", read[7]);
    for (int i : {0, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13}) EXPECT_EQ(values[i], read[i]) << i;

    RangeLimits limits = Garbage();
    ASSERT_TRUE(LoadRangeLimits(limits, file));
    EXPECT_SAME_FLOAT(0.0f, limits.U_Max);
    EXPECT_SAME_FLOAT(0.0f, limits.CO2_Min);
    EXPECT_SAME_FLOAT(0.0f, limits.CO2_Max);
    EXPECT_SAME_FLOAT(-20.0f, limits.H2O_Min);
    EXPECT_SAME_FLOAT(150.0f, limits.P_Max);
}

TEST(RangeFileWrite, FailsWhenTheDirectoryCannotExist) {
    TempDir dir;
    WriteFile(dir / "plain", "not a directory");
    fs::path file = dir / "plain" / "range.ini";
    EXPECT_FALSE(WriteRangeTexts(kDefaultTexts, file));
    EXPECT_EQ("not a directory", ReadFile(dir / "plain"));
}

std::vector<std::string> Listing(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RangeFileWrite, FailedReplaceLeavesNothingBehind) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    fs::create_directory(file);  // something that a file cannot replace
    WriteFile(file / "keep", "x");
    EXPECT_FALSE(WriteRangeTexts(kDefaultTexts, file));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ("x", ReadFile(file / "keep"));
    EXPECT_EQ(std::vector<std::string>{"range.ini"}, Listing(dir.path()));
}

#ifndef _WIN32
// Makes every write beyond a few bytes fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(RangeFileWrite, FailedWriteKeepsTheOldFileWhole) {
    TempDir dir;
    fs::path file = dir / "range.ini";
    ASSERT_TRUE(WriteRangeTexts(kDefaultTexts, file));
    std::string before = ReadFile(file);
    RangeTexts texts = kDefaultTexts;
    texts[13] = "1234567890123456789";
    bool written;
    {
        FileSizeLimit limit(40);
        written = WriteRangeTexts(texts, file);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(before, ReadFile(file));
    EXPECT_EQ(std::vector<std::string>{"range.ini"}, Listing(dir.path()));
}
#endif

TEST(RangeFilePathRule, WindirWins) {
    ScopedEnv windir("WINDIR", "/opt/windows");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(fs::path("/opt/windows") / "range.ini", RangeFilePath());
}

TEST(RangeFilePathRule, EmptyWindirCountsAsUnset) {
    ScopedEnv windir("WINDIR", "");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(fs::path("/xdg") / "kelvara" / "range.ini", RangeFilePath());
}

TEST(RangeFilePathRule, RelativeOrEmptyXdgFallsBackToHome) {
    ScopedEnv windir("WINDIR", nullptr);
    ScopedEnv home("HOME", "/home/someone");
    fs::path expected = fs::path("/home/someone") / ".config" / "kelvara" / "range.ini";
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(expected, RangeFilePath());
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(expected, RangeFilePath());
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(expected, RangeFilePath());
    }
}

TEST(RangeFileDefaultLocation, OperationsUseTheWindowsDirectory) {
    TempDir dir;
    ScopedEnv windir("WINDIR", dir.path().string().c_str());
    RangeLimits limits = Garbage();
    EXPECT_FALSE(LoadRangeLimits(limits));
    ExpectDefaults(limits);
    RangeTexts texts;
    EXPECT_FALSE(ReadRangeTexts(texts));

    RangeTexts changed = kDefaultTexts;
    changed[7] = "600";
    ASSERT_TRUE(WriteRangeTexts(changed));
    EXPECT_EQ(RangeFileText(changed, "\r\n"), ReadFile(dir / "range.ini"));
    ASSERT_TRUE(LoadRangeLimits(limits));
    EXPECT_SAME_FLOAT(600.0f, limits.CO2_Max);

    // Another program changes the file: the next load sees it.
    WriteFile(dir / "range.ini", RangeFileText(kDefaultTexts, "\n"));
    ASSERT_TRUE(LoadRangeLimits(limits));
    EXPECT_SAME_FLOAT(1500.0f, limits.CO2_Max);
    ASSERT_TRUE(ReadRangeTexts(texts));
    EXPECT_EQ(kDefaultTexts, texts);
}

TEST(RangeFileDefaultLocation, ConfigDirectoryIsCreatedOnWrite) {
    TempDir dir;
    ScopedEnv windir("WINDIR", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").string().c_str());
    ASSERT_TRUE(WriteRangeTexts(kDefaultTexts));
    EXPECT_EQ(RangeFileText(kDefaultTexts, "\r\n"), ReadFile(dir / "config" / "kelvara" / "range.ini"));
}

}  // namespace
}  // namespace kelvara
