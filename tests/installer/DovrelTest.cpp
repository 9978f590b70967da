// The installer program run as at installation: from a directory holding the
// shipped range.ini, with WINDIR naming the target.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "../cli/ProgramRun.h"
#include "RangeLimits.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::ReadFile;
using testing::RunProgram;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

const fs::path kShippedRangeFile = fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini";

class DovrelTest : public ::testing::Test {
protected:
    DovrelTest() {
        fs::create_directory(source);
        fs::copy_file(kShippedRangeFile, source / "range.ini");
    }

    ProgramRun RunDovrel(const fs::path& windowsDirectory) {
        ScopedEnv windir("WINDIR", windowsDirectory.c_str());
        return RunProgram(KELVARA_DOVREL_PATH, {}, source);
    }

    TempDir dir;
    const fs::path source = dir / "install";
};

TEST(ShippedRangeFile, HoldsTheBuiltInDefaultsWithCrLfLineEnds) {
    EXPECT_EQ(ReadFile(kShippedRangeFile),
              "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
              "CO2-Min\t0\r\nCO2-Max\t1500\r\nH2O-Min\t-20\r\nH2O-Max\t100\r\n"
              "Ts-Min\t-50\r\nTs-Max\t50\r\nP-Min\t30\r\nP-Max\t150\r\n");
}

TEST_F(DovrelTest, CopiesByteForByteIntoAFreshDirectoryWhoseNameHoldsShellCharacters) {
    const fs::path windows = dir / "a b;$(touch x)'\"" / "Windows";
    const ProgramRun run = RunDovrel(windows);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    ASSERT_TRUE(fs::exists(windows / "range.ini"));
    EXPECT_EQ(ReadFile(windows / "range.ini"), ReadFile(kShippedRangeFile));
    // Nothing was handed to a shell.
    EXPECT_FALSE(fs::exists(source / "x"));
    EXPECT_FALSE(fs::exists(dir / "x"));
    // Only the file itself is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(windows), fs::directory_iterator()), 1);
}

TEST_F(DovrelTest, ReplacesAnExistingRangeFile) {
    const fs::path windows = dir / "Windows";
    fs::create_directory(windows);
    WriteFile(windows / "range.ini", std::string(4000, 'o'));
    const ProgramRun run = RunDovrel(windows);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(windows / "range.ini"), ReadFile(kShippedRangeFile));
}

TEST_F(DovrelTest, MissingSourceLeavesTheTargetAsItWasAndStillExitsZero) {
    const fs::path windows = dir / "Windows";
    fs::create_directory(windows);
    WriteFile(windows / "range.ini", "U-Min\t5\r\n");
    fs::remove(source / "range.ini");
    const ProgramRun run = RunDovrel(windows);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("range.ini"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(ReadFile(windows / "range.ini"), "U-Min\t5\r\n");
}

TEST_F(DovrelTest, TargetThatCannotBeWrittenIsReportedAndStillExitsZero) {
    // The Windows directory names a plain file: no directory can be made there.
    WriteFile(dir / "not a directory", "x");
    const ProgramRun run = RunDovrel(dir / "not a directory");
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.err.find("not a directory"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(dir / "not a directory"), "x");
}

TEST_F(DovrelTest, WithoutWindirGoesToThePerUserDirectoryCreatingIt) {
    ScopedEnv noWindir("WINDIR", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").c_str());
    const ProgramRun run = RunProgram(KELVARA_DOVREL_PATH, {}, source);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(dir / "config" / "kelvara" / "range.ini"), ReadFile(kShippedRangeFile));
}

TEST_F(DovrelTest, TheLoadersReadTheInstalledFile) {
    // A changed value shows the file was read, not the built-in defaults.
    std::string shipped = ReadFile(kShippedRangeFile);
    shipped.replace(0, shipped.find("\r\n"), "U-Min\t-12.5");
    WriteFile(source / "range.ini", shipped);
    const fs::path windows = dir / "Win dir";
    ASSERT_EQ(RunDovrel(windows).exitStatus, 0);

    ScopedEnv windir("WINDIR", windows.c_str());
    RangeTexts texts;
    ASSERT_TRUE(ReadRangeTexts(texts));
    EXPECT_EQ(texts, (RangeTexts{"-12.5", "50", "-50", "50", "-50", "50", "0", "1500", "-20", "100",
                                 "-50", "50", "30", "150"}));
    RangeLimits limits{};
    ASSERT_TRUE(LoadRangeLimits(limits));
    EXPECT_EQ(limits.U_Min, -12.5f);
    EXPECT_EQ(limits.U_Max, 50.0f);
    EXPECT_EQ(limits.CO2_Max, 1500.0f);
    EXPECT_EQ(limits.H2O_Min, -20.0f);
    EXPECT_EQ(limits.P_Min, 30.0f);
    EXPECT_EQ(limits.P_Max, 150.0f);
}

}  // namespace
}  // namespace kelvara
