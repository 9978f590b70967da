// The installer program run as at installation: from a directory holding the
// shipped range.ini, with WINDIR naming the target.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "TempDir.h"
#include "Version.h"
#include "io/RangeFile.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using namespace testing;

TEST(Dovrel, InstallsTheRangeFileByteForByteForTheLoaderToRead) {
    TempDir dir;
    // A Windows directory not made yet, whose name holds blanks and shell characters.
    const fs::path source = dir / "install", windows = dir / "a b;$(touch x)'\"" / "Windows";
    ScopedEnv windir("WINDIR", windows.c_str());
    const auto install = [&] { return RunProgram(KELVARA_DOVREL_PATH, {}, source); };
    fs::create_directory(source);
    // A changed value shows the installed file was read, not the built-in defaults.
    std::string shipped = ReadFile(fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini");
    EXPECT_EQ(shipped,
              "U-Min\t-50\r\nU-Max\t50\r\nV-Min\t-50\r\nV-Max\t50\r\nW-Min\t-50\r\nW-Max\t50\r\n"
              "CO2-Min\t0\r\nCO2-Max\t1500\r\nH2O-Min\t-20\r\nH2O-Max\t100\r\nTs-Min\t-50\r\n"
              "Ts-Max\t50\r\nP-Min\t30\r\nP-Max\t150\r\n");
    shipped.replace(0, shipped.find("\r\n"), "U-Min\t-12.5");
    WriteFile(source / "range.ini", shipped);

    const ProgramRun run = install();
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(ReadFile(windows / "range.ini"), shipped);
    // Nothing was handed to a shell, and only the file itself is left behind.
    EXPECT_FALSE(fs::exists(source / "x") || fs::exists(dir / "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(windows), fs::directory_iterator()), 1);
    RangeLimits limits{};
    ASSERT_TRUE(LoadRangeLimits(limits));
    EXPECT_EQ(limits.U_Min, -12.5f);

    // Without a source the installed file stays as it was; with one it is replaced.
    WriteFile(windows / "range.ini", "U-Min\t5\r\n");
    fs::rename(source / "range.ini", source / "kept");
    const ProgramRun missing = install();
    EXPECT_EQ(missing.exitStatus, 0);
    // The copy's own complaint, on one line.
    EXPECT_NE(missing.err.find("range.ini"), std::string::npos) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    EXPECT_EQ(ReadFile(windows / "range.ini"), "U-Min\t5\r\n");
    EXPECT_NE(missing.err.find("No such file or directory"), std::string::npos) << missing.err;
    // Not a regular file: the real reason, not "Is a directory".
    fs::create_symlink("/dev/null", source / "range.ini");
    EXPECT_NE(install().err.find("not a regular file"), std::string::npos);
    fs::remove(source / "range.ini");
    fs::create_directory(source / "range.ini");
    EXPECT_NE(install().err.find("Is a directory"), std::string::npos);
    fs::remove(source / "range.ini");
    fs::rename(source / "kept", source / "range.ini");
    // A link planted in the Windows directory is never written through.
    WriteFile(dir / "victim", "precious");
    fs::create_symlink(dir / "victim", windows / "range.ini.partial");
    ASSERT_EQ(install().exitStatus, 0);
    EXPECT_EQ(ReadFile(windows / "range.ini"), shipped);
    EXPECT_EQ(ReadFile(dir / "victim"), "precious");
}

// The user's own limits are kept before the shipped ones replace them, and
// the installer says where; --help and --version answer and touch nothing.
TEST(Dovrel, KeepsAnEditedRangeFileAndAnswersHelpAndVersion) {
    TempDir dir;
    const fs::path source = dir / "install", windows = dir / "Windows";
    fs::create_directories(source);
    fs::create_directories(windows);
    ScopedEnv windir("WINDIR", windows.c_str());
    const std::string shipped = ReadFile(fs::path(KELVARA_SOURCE_DIR) / "res" / "range.ini");
    WriteFile(source / "range.ini", shipped);
    WriteFile(windows / "range.ini", "U-Min\t-12.5\r\n");
    const auto run = [&](const std::vector<std::string>& arguments) {
        return RunProgram(KELVARA_DOVREL_PATH, arguments, source);
    };

    for (const std::string option : {"--help", "--version"}) {
        const ProgramRun answer = run({option});
        EXPECT_EQ(answer.exitStatus, 0);
        EXPECT_EQ(answer.err, "");
        EXPECT_EQ(ReadFile(windows / "range.ini"), "U-Min\t-12.5\r\n") << option;
    }
    EXPECT_EQ(run({"--version"}).out, "Dovrel " KELVARA_VERSION "\n");
    const std::string help = run({"--help"}).out;
    EXPECT_TRUE(help.starts_with("Usage: Dovrel\n")) << help;
    EXPECT_NE(help.find("range.ini.bak"), std::string::npos) << help;

    const ProgramRun replaced = run({});
    EXPECT_EQ(replaced.exitStatus, 0);
    EXPECT_EQ(replaced.out, "Dovrel: kept the earlier range.ini, which differed from the shipped one, as " +
                                (windows / "range.ini.bak").string() + "\n");
    EXPECT_EQ(replaced.err, "");
    EXPECT_EQ(ReadFile(windows / "range.ini.bak"), "U-Min\t-12.5\r\n");
    EXPECT_EQ(ReadFile(windows / "range.ini"), shipped);
    // The same file again: nothing to keep, nothing said, the copy kept.
    const ProgramRun again = run({});
    EXPECT_EQ(again.out + again.err, "");
    EXPECT_EQ(ReadFile(windows / "range.ini.bak"), "U-Min\t-12.5\r\n");
    // When the copy cannot be kept, the edited file stays as it is.
    WriteFile(windows / "range.ini", "U-Min\t-7\r\n");
    fs::remove(windows / "range.ini.bak");
    fs::create_directory(windows / "range.ini.bak");
    const ProgramRun refused = run({});
    EXPECT_EQ(refused.exitStatus, 0);
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_NE(refused.err.find("range.ini is left as it was"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFile(windows / "range.ini"), "U-Min\t-7\r\n");
}

}  // namespace
}  // namespace kelvara
