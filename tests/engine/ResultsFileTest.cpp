// The results file: exact header, block lines in %g, rejected lines, CR LF,
// written aside and put in place whole.

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <limits>
#include <string>

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "io/ResultsFile.h"

namespace kelvara {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

TEST(ResultsFile, ReplacesOnlyWhatItMayWriteAndNeverFollowsALink) {
    testing::TempDir dir;
    ResultsFile file;
    fs::create_directory(dir / "folder.r1w");
    EXPECT_FALSE(file.Create(dir / "folder.r1w"));
    EXPECT_FALSE(file.Create(dir / "absent" / "out.r1w"));
    testing::WriteFile(dir / "readonly.r1w", "kept");
    fs::permissions(dir / "readonly.r1w", fs::perms::owner_read);
    if (!file.Create(dir / "readonly.r1w")) {  // root may write anything
        EXPECT_EQ("kept", ReadFile(dir / "readonly.r1w"));
    }
    file.Close();
    // A link planted where the results go is replaced, never written through.
    testing::WriteFile(dir / "victim.txt", "precious");
    fs::create_symlink(dir / "victim.txt", dir / "planted.r1w");
    ASSERT_TRUE(file.Create(dir / "planted.r1w"));
    ASSERT_TRUE(file.WriteLine(kResultsHeader));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ("precious", ReadFile(dir / "victim.txt"));
    EXPECT_FALSE(fs::is_symlink(dir / "planted.r1w"));
    // A name near the system's limit still leaves room for its temporary.
    const std::string longName = std::string(251, 'n') + ".r1w";
    ASSERT_TRUE(file.Create(dir / longName));
    ASSERT_TRUE(file.WriteLine(kResultsHeader));
    ASSERT_TRUE(file.Close());
    EXPECT_TRUE(fs::exists(dir / longName));
    // A full disk shows at the write, with the system's reason for the user.
    ASSERT_TRUE(file.Create(dir / "full.r1w"));
    {
        testing::FileSizeLimit full(50);
        EXPECT_FALSE(file.WriteLine(kResultsHeader));
    }
    EXPECT_EQ(EFBIG, file.LastError());
    file.Close();
}

TEST(ResultsFile, HeaderBlockAndRejectedLines) {
    const std::string header =
        "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,LE_leuning,"
        "Fc_leuning,Records\r\n";
    testing::TempDir dir;
    const std::string old(5000, 'x');
    testing::WriteFile(dir / "out.r1w", old);  // replaced, but only when complete
    ResultsFile file;
    ASSERT_TRUE(file.Create(dir / "out.r1w"));
    ASSERT_TRUE(file.WriteLine(kResultsHeader));
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    FluxResult r = {0.3f,      inf, 700.125f,      10,         98.7654321f, 20,   18.7183f, 3.01496f, 1e-05f,
                    -2.3e-09f, nan, 0.0123456789f, 1234567.0f, -0.0f,       -nan, 17998};
    char line[kMaxBlockLineLength];
    ASSERT_TRUE(file.WriteLine({line, static_cast<std::size_t>(FormatBlockLine("2024-06-01 13:30", r, line))}));
    ASSERT_TRUE(file.WriteLine({line, static_cast<std::size_t>(FormatRejectedLine("2024-06-01 0:0", line))}));
    EXPECT_EQ(old, ReadFile(dir / "out.r1w"));
    EXPECT_EQ(2, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));  // and the temporary
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(header +
                  "2024-06-01 13:30,0.3,inf,700.125,10,98.7654,20,18.7183,3.01496,1e-05,-2.3e-09,nan,0.0123457,"
                  "1.23457e+06,-0,-nan,17998\r\n2024-06-01 0:0,,,,,,,,,,,,,,,,\r\n",
              ReadFile(dir / "out.r1w"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));

    // The widest line there can be still fits its buffer.
    for (const auto field : kFluxResultFloats) r.*field = -1.17549435e-38f;
    r.Records = INT_MIN;
    EXPECT_EQ(11 + 1 + 5 + 15 * 13 + 12, FormatBlockLine("12345678901 23:30", r, line));
}

}  // namespace
}  // namespace kelvara
