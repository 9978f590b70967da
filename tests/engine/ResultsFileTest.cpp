// The results file: header, block lines in %g, rejected lines, CR LF, and
// every line on disk as soon as it is written.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "ResultsFile.h"
#include "TempDir.h"

namespace kelvara {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

FluxResult SampleResult() {
    FluxResult r{};
    r.ustar = 0.3f;
    r.tau = 0.107234f;
    r.ave_CO2 = 700.125f;
    r.ave_H2O = 10.0f;
    r.ave_P = 98.7654321f;
    r.ave_Ts = 20.0f;
    r.ave_Tc = 18.7183f;
    r.ave_U = 3.01496f;
    r.ave_V = 1e-05f;
    r.ave_W = -2.3e-09f;
    r.Hs = 119.6543f;
    r.co2wplLE = 0.0123456789f;
    r.co2wplH = 1234567.0f;
    r.LE_leuning = -0.0f;
    r.Fc_leuning = -11.363636f;
    r.Records = 17998;
    return r;
}

std::string G(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string ExpectedLine(const std::string& time, const FluxResult& r) {
    const float fields[15] = {r.ustar, r.tau,   r.ave_CO2, r.ave_H2O, r.ave_P,    r.ave_Ts,     r.ave_Tc,    r.ave_U,
                              r.ave_V, r.ave_W, r.Hs,      r.co2wplLE, r.co2wplH, r.LE_leuning, r.Fc_leuning};
    std::string line = time;
    for (float f : fields) line += "," + G(f);
    return line + "," + std::to_string(r.Records);
}

TEST(ResultsFile, HeaderLineIsExact) {
    EXPECT_EQ("Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,"
              "LE_leuning,Fc_leuning,Records",
              std::string(kResultsHeader));
    TempDir dir;
    ResultsFile file;
    ASSERT_TRUE(file.Create(dir / "out.r1w"));
    ASSERT_TRUE(file.WriteHeader());
    file.Close();
    EXPECT_EQ(std::string(kResultsHeader) + "\r\n", ReadFile(dir / "out.r1w"));
}

TEST(ResultsFile, BlockAndRejectedLinesWithCrLf) {
    TempDir dir;
    ResultsFile file;
    ASSERT_TRUE(file.Create(dir / "out.r1w"));
    FluxResult r = SampleResult();
    ASSERT_TRUE(file.WriteHeader());
    ASSERT_TRUE(file.WriteBlockLine("2024-06-01", "13:30", r));
    ASSERT_TRUE(file.WriteRejectedLine("2024-06-01", "0:0"));
    file.Close();
    std::string expected = std::string(kResultsHeader) + "\r\n" + ExpectedLine("2024-06-01 13:30", r) + "\r\n" +
                           "2024-06-01 0:0,,,,,,,,,,,,,,,,\r\n";
    EXPECT_EQ(expected, ReadFile(dir / "out.r1w"));
    EXPECT_NE(std::string::npos, expected.find(",1e-05,"));
    EXPECT_NE(std::string::npos, expected.find(",1.23457e+06,"));
}

TEST(ResultsFile, FormatBlockLineMatchesPrintfForSpecialValues) {
    FluxResult r = SampleResult();
    r.ustar = std::numeric_limits<float>::infinity();
    r.tau = -std::numeric_limits<float>::infinity();
    r.Hs = std::numeric_limits<float>::quiet_NaN();
    r.LE_leuning = -std::numeric_limits<float>::quiet_NaN();
    r.ave_W = 1e-40f;  // denormal
    r.Fc_leuning = -3.40282347e38f;
    r.Records = 0;
    char line[kMaxBlockLineLength];
    int length = FormatBlockLine("2024-12-31", "0:0", r, line);
    std::string expected = ExpectedLine("2024-12-31 0:0", r);
    EXPECT_EQ(expected, std::string(line, static_cast<std::size_t>(length)));
    EXPECT_NE(std::string::npos, expected.find(",inf,-inf,"));
    EXPECT_NE(std::string::npos, expected.find(",-nan,"));

    // The widest line there can be still fits.
    for (float* f = &r.ustar; f <= &r.Fc_leuning; ++f) *f = -1.17549435e-38f;
    r.Records = std::numeric_limits<int>::min();
    length = FormatBlockLine("12345678901", "23:30", r, line);
    EXPECT_EQ(ExpectedLine("12345678901 23:30", r), std::string(line, static_cast<std::size_t>(length)));
}

TEST(ResultsFile, EveryLineIsOnDiskAsSoonAsWritten) {
    TempDir dir;
    ResultsFile file;
    ASSERT_TRUE(file.Create(dir / "out.r1w"));
    ASSERT_TRUE(file.WriteHeader());
    EXPECT_EQ(std::string(kResultsHeader) + "\r\n", ReadFile(dir / "out.r1w"));
    ASSERT_TRUE(file.WriteRejectedLine("d", "1:0"));
    EXPECT_EQ(std::string(kResultsHeader) + "\r\nd 1:0,,,,,,,,,,,,,,,,\r\n", ReadFile(dir / "out.r1w"));
}

TEST(ResultsFile, CreateTruncatesAndFailsWhereNoFileCanBe) {
    TempDir dir;
    WriteFile(dir / "out.r1w", std::string(5000, 'x'));
    {
        ResultsFile file;
        ASSERT_TRUE(file.Create(dir / "out.r1w"));
        EXPECT_TRUE(file.IsOpen());
    }
    EXPECT_EQ("", ReadFile(dir / "out.r1w"));

    ResultsFile nowhere;
    EXPECT_FALSE(nowhere.Create(dir / "missing-directory" / "out.r1w"));
    EXPECT_FALSE(nowhere.IsOpen());
}

#ifdef __linux__
TEST(ResultsFile, FailedWriteIsReported) {
    ResultsFile full;
    ASSERT_TRUE(full.Create("/dev/full"));
    EXPECT_FALSE(full.WriteHeader());
    EXPECT_FALSE(full.WriteRejectedLine("2024-06-01", "10:30"));
}
#endif

TEST(ResultsFile, SuffixFollowsTheRotationChoice) {
    EXPECT_EQ(".r1w", ResultsSuffix(0));
    EXPECT_EQ(".rfw", ResultsSuffix(1));
    EXPECT_EQ(".r1w", ResultsSuffix(2));
    EXPECT_EQ(".r1w", ResultsSuffix(-1));
}

}  // namespace
}  // namespace kelvara
