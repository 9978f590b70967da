// The wind direction for each way a sonic may be mounted, and fs from a
// file's time stamps.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "corrections/SamplingFrequency.h"
#include "corrections/WindDirection.h"

namespace kelvara {
namespace {

TEST(WindDirection, EachWayOfMountingAndAKnownAzimuth) {
    SiteSettings site;
    site.sonicAzimuth = 30.0;
    struct Case {
        double u, v;
        UPositive positive;
        double expected;
    };
    const Case cases[] = {
        {2.0, 0.0, UPositive::From, 30.0},     // from where the sonic points
        {2.0, 0.0, UPositive::Toward, 210.0},  // toward it: from the other side
        {0.0, 1.0, UPositive::From, 300.0},   {0.0, 1.0, UPositive::Toward, 120.0},
        {-1.0, 0.0, UPositive::From, 210.0},  {1.0, -1.0, UPositive::From, 75.0},
    };
    for (const Case& c : cases) {
        site.uPositive = c.positive;
        EXPECT_NEAR(c.expected, DirectionOfWind(c.u, c.v, site), 1e-9) << c.u << "," << c.v;
    }
    site.uPositive = UPositive::From;
    site.declination = -40.0;  // 30 - 40 = -10: wraps to 350
    EXPECT_NEAR(350.0, DirectionOfWind(1.0, 0.0, site), 1e-9);
    site.declination = 0.0;
    site.sonicAzimuth = 0.0;
    EXPECT_EQ(0.0, DirectionOfWind(1.0, 1e-17, site));  // -6e-16 degrees: never 360
}

TEST(WindDirection, UnitVectorsWeighEveryRecordAlike) {
    auto block = std::make_unique<StandardBlock>();
    const float strong[kVariableCount] = {2, 0, 0, 700, 10, 20, 98};
    const float weak[kVariableCount] = {0, 1, 0, 700, 10, 20, 98};
    const float calm[kVariableCount] = {0, 0, 0, 700, 10, 20, 98};
    ASSERT_TRUE(block->Append(strong));
    ASSERT_TRUE(block->Append(weak));
    ASSERT_TRUE(block->Append(calm));  // not good: left out
    const std::uint8_t present[] = {1, 1, 0};
    SiteSettings site;
    EXPECT_NEAR(360.0 - std::atan2(0.5, 1.0) * 180.0 / std::numbers::pi, WindDirection(*block, present, 1.0, 0.5, site),
                1e-9);
    site.windDirection = WindDirectionMean::Unit;
    EXPECT_NEAR(315.0, WindDirection(*block, present, 1.0, 0.5, site), 1e-9);
}

TEST(SamplingFrequency, TheMedianStepRoundedToWholeHertz) {
    std::vector<double> seconds;
    for (int i = 0; i < 50; ++i) seconds.push_back(1000.0 + 0.05 * i + (i == 20 ? 3.0 : 0.0));  // one jump
    double fs = 0.0;
    std::string problem;
    ASSERT_TRUE(EstimateSamplingFrequency(seconds, fs, problem)) << problem;
    EXPECT_EQ(20.0, fs);

    // A logger that stamps whole seconds: ten records share each stamp.
    seconds.clear();
    for (int i = 0; i < 45; ++i) seconds.push_back(500.0 + i / 10);
    ASSERT_TRUE(EstimateSamplingFrequency(seconds, fs, problem)) << problem;
    EXPECT_EQ(10.0, fs);

    EXPECT_FALSE(EstimateSamplingFrequency(std::vector<double>(30, 7.0), fs, problem));
    EXPECT_NE(std::string::npos, problem.find("fewer than two different time stamps")) << problem;
    EXPECT_FALSE(EstimateSamplingFrequency({}, fs, problem));
    EXPECT_FALSE(EstimateSamplingFrequency(std::vector<double>{0.0, 5.0, 10.0}, fs, problem));  // 0.2 Hz
}

}  // namespace
}  // namespace kelvara
