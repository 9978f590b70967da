// Telling whether two typed names denote one file, however spelled.

#include <gtest/gtest.h>

#include <filesystem>

#include "FileNames.h"
#include "TempDir.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFile;

TEST(FileNames, SameFileHoweverSpelled) {
    TempDir dir;
    WriteFile(dir / "a.dat", "a");
    WriteFile(dir / "b.dat", "a");
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "a.dat", dir / "link.dat");
    EXPECT_TRUE(IsSameFile(dir / "a.dat", dir / "a.dat"));
    EXPECT_TRUE(IsSameFile(dir / "a.dat", dir / "sub" / ".." / "a.dat"));
    EXPECT_TRUE(IsSameFile(dir / "link.dat", dir / "a.dat"));
    EXPECT_FALSE(IsSameFile(dir / "a.dat", dir / "b.dat"));  // equal content is not the same file
    EXPECT_FALSE(IsSameFile(dir / "a.dat", dir / "absent.dat"));
    EXPECT_FALSE(IsSameFile(dir / "absent.dat", dir / "absent.dat"));
    EXPECT_FALSE(IsSameFile("", ""));
}

TEST(FileNames, TextBecomesAPathUnchanged) {
    EXPECT_EQ(fs::path("dir/a b.dat"), PathFromText("dir/a b.dat"));
    EXPECT_EQ(fs::path(" x "), PathFromText(" x "));
    EXPECT_EQ(fs::path(u8"d\u00e9j\u00e0.dat"), PathFromText("d\xc3\xa9j\xc3\xa0.dat"));
    EXPECT_TRUE(PathFromText("").empty());
}

}  // namespace
}  // namespace kelvara
