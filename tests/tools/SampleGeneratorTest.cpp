// The synthetic raw files the benchmark and the tools rely on: reproducible,
// with the line ends asked for, a logger's four header lines and the
// planned number of records.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SampleGenerator.h"
#include "TempDir.h"

namespace kelvara::samples {
namespace {

SampleOptions Options(double hours, std::uint64_t seed, bool crlf = true) {
    SampleOptions options;
    options.seed = seed, options.hours = hours, options.crlf = crlf;
    options.start = "2024-06-01 10:00:00";
    return options;
}

TEST(SampleGenerator, SameSeedSameBytesAndTheFileEqualsTheText) {
    const std::string text = MakeRawSample(Options(0.05, 42));
    EXPECT_EQ(text, MakeRawSample(Options(0.05, 42)));
    EXPECT_NE(text, MakeRawSample(Options(0.05, 43)));
    testing::TempDir dir;
    ASSERT_TRUE(WriteRawSample(dir / "tower.dat", Options(0.05, 42)));
    EXPECT_EQ(text, testing::ReadFile(dir / "tower.dat"));
}

TEST(SampleGenerator, LineEndsHeaderAndRecordCount) {
    const std::string crlf = MakeRawSample(Options(0.5, 3)), lf = MakeRawSample(Options(0.5, 3, false));
    const auto lines = std::count(crlf.begin(), crlf.end(), '\n');
    EXPECT_EQ(4 + 18000, lines);  // half an hour at 10 Hz
    EXPECT_EQ(18000, PlannedRecordCount(Options(0.5, 3)));
    EXPECT_EQ(lines, std::count(crlf.begin(), crlf.end(), '\r'));
    EXPECT_TRUE(crlf.ends_with("\r\n"));
    EXPECT_EQ(lines, std::count(lf.begin(), lf.end(), '\n'));
    EXPECT_EQ(std::string::npos, lf.find('\r'));
    std::string withoutCr = crlf;
    withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
    EXPECT_EQ(lf, withoutCr);

    // Four header lines, none of which looks like a record; then the records.
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = lf.find('\n', at);
        EXPECT_LT(end - at, 100u);
        EXPECT_FALSE(lf.compare(at, 3, "\"20") == 0) << lf.substr(at, end - at);
        at = end + 1;
    }
    EXPECT_EQ("\"2024-06-01 10:00:00.0\",", lf.substr(at, 24));
    EXPECT_EQ(lf.substr(0, at), MakeRawSample(Options(0.0, 3, false)));  // no hours: the header alone
}

}  // namespace
}  // namespace kelvara::samples
