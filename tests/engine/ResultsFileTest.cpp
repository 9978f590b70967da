// The results file: exact header, block lines in %g, rejected lines, CR LF,
// and every line on disk as soon as it is written.

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>

#include "TempDir.h"
#include "io/ResultsFile.h"

namespace kelvara {
namespace {

using testing::ReadFile;

TEST(ResultsFile, HeaderBlockAndRejectedLines) {
    const std::string header =
        "Time,ustar,tau,ave_CO2,ave_H2O,ave_P,ave_Ts,ave_Tc,ave_U,ave_V,ave_W,Hs,co2wplLE,co2wplH,LE_leuning,"
        "Fc_leuning,Records\r\n";
    testing::TempDir dir;
    testing::WriteFile(dir / "out.r1w", std::string(5000, 'x'));  // truncated
    ResultsFile file;
    ASSERT_TRUE(file.Create(dir / "out.r1w"));
    ASSERT_TRUE(file.WriteHeader());
    EXPECT_EQ(header, ReadFile(dir / "out.r1w"));
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    FluxResult r = {0.3f, inf, 700.125f, 10, 98.7654321f, 20, 18.7183f, 3.01496f, 1e-05f, -2.3e-09f, nan,
                    0.0123456789f, 1234567.0f, -0.0f, -nan, 17998};
    ASSERT_TRUE(file.WriteBlockLine("2024-06-01", "13:30", r));
    ASSERT_TRUE(file.WriteRejectedLine("2024-06-01", "0:0"));
    EXPECT_EQ(header + "2024-06-01 13:30,0.3,inf,700.125,10,98.7654,20,18.7183,3.01496,1e-05,-2.3e-09,nan,0.0123457,"
                       "1.23457e+06,-0,-nan,17998\r\n2024-06-01 0:0,,,,,,,,,,,,,,,,\r\n",
              ReadFile(dir / "out.r1w"));

    // The widest line there can be still fits its buffer.
    for (float* f = &r.ustar; f <= &r.Fc_leuning; ++f) *f = -1.17549435e-38f;
    r.Records = INT_MIN;
    char line[kMaxBlockLineLength];
    EXPECT_EQ(11 + 1 + 5 + 15 * 13 + 12, FormatBlockLine("12345678901", "23:30", r, line));
}

}  // namespace
}  // namespace kelvara
