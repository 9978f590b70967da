// The planar-fit plane from block mean winds: recovery of a known tilt, the
// screen, and refusal of a plane the winds cannot determine.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "EngineTestSupport.h"
#include "pipeline/Despike.h"
#include "pipeline/PlaneFit.h"

namespace kelvara {
namespace {

constexpr double kB0 = 0.03, kB1 = 0.04, kB2 = -0.02;

// Block winds of the given speeds and directions (degrees), seen by a sonic
// tilted by the plane, with a small wobble of w that does not repeat.
std::vector<BlockWind> TiltedWinds(const std::vector<double>& directions, double speed = 3.0) {
    std::vector<BlockWind> winds;
    for (std::size_t i = 0; i < directions.size(); ++i) {
        const double angle = directions[i] * std::numbers::pi / 180.0;
        const double u = speed * std::cos(angle), v = speed * std::sin(angle);
        const double wobble = 0.002 * std::sin(1.7 * static_cast<double>(i) + 0.3);
        winds.push_back({u, v, kB0 + kB1 * u + kB2 * v + wobble, 18000});
    }
    return winds;
}

TEST(PlaneFit, RecoversAKnownTiltWithinItsStandardErrors) {
    std::vector<double> directions;
    for (int k = 0; k < 24; ++k) directions.push_back(15.0 * k + 3.0);
    const PlaneFit fit = FitPlane(TiltedWinds(directions));
    ASSERT_TRUE(fit.ok) << fit.refusal;
    EXPECT_NEAR(kB0, fit.b0, 3 * fit.se_b0);
    EXPECT_NEAR(kB1, fit.b1, 3 * fit.se_b1);
    EXPECT_NEAR(kB2, fit.b2, 3 * fit.se_b2);
    EXPECT_LT(fit.se_b1, 1e-3);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}), fit.sectors);
    EXPECT_EQ(24, fit.blocksUsed);
    ASSERT_TRUE(fit.r2.has_value());
    EXPECT_GT(*fit.r2, 0.99);
    EXPECT_LE(fit.maxAbsResidual, 0.0025);
    // The angles the planar-fit rotation will use.
    const double tilt = std::sqrt(1.0 + fit.b1 * fit.b1 + fit.b2 * fit.b2);
    EXPECT_DOUBLE_EQ(std::asin(-fit.b1 / tilt) * 180.0 / std::numbers::pi, fit.alphaDegrees);

    // An exact plane gives the coefficients to rounding.
    std::vector<BlockWind> exact = TiltedWinds(directions);
    for (BlockWind& b : exact) b.w = kB0 + kB1 * b.u + kB2 * b.v;
    const PlaneFit perfect = FitPlane(exact);
    EXPECT_NEAR(kB1, perfect.b1, 1e-12);
    EXPECT_NEAR(0.0, perfect.rmsResidual, 1e-12);
}

TEST(PlaneFit, RefusesAPlaneTheWindsCannotDetermine) {
    EXPECT_NE(FitPlane(TiltedWinds({0, 90, 180, 270, 45})).refusal.find("only 5 blocks"), std::string::npos);
    // Winds from one side only: one direction, or two sectors.
    const PlaneFit oneWay = FitPlane(TiltedWinds({10, 10, 10, 10, 10, 10, 10}));
    EXPECT_FALSE(oneWay.ok);
    EXPECT_NE(oneWay.refusal.find("do not span two directions"), std::string::npos);
    const PlaneFit twoSectors = FitPlane(TiltedWinds({1, 20, 44, 50, 60, 80, 89, 5}));
    EXPECT_FALSE(twoSectors.ok);
    EXPECT_NE(twoSectors.refusal.find("2 of the eight"), std::string::npos) << twoSectors.refusal;
    EXPECT_EQ((std::vector<int>{0, 1}), twoSectors.sectors);
}

TEST(PlaneFit, ScreenAndSectors) {
    const PlaneFitScreen screen;
    EXPECT_FALSE(ExclusionOf({3, 0, 0.1, 9000}, screen).has_value());
    EXPECT_EQ("too few records (8999 < 9000)", ExclusionOf({3, 0, 0.1, 8999}, screen).value_or(""));
    EXPECT_EQ("calm (speed 0.3 < 0.5)", ExclusionOf({0.3, 0, 0.1, 18000}, screen).value_or(""));
    EXPECT_EQ("vertical wind (|w| 1.5 > 1)", ExclusionOf({3, 0, -1.5, 18000}, screen).value_or(""));
    EXPECT_EQ(0, WindSector(1, 0));
    EXPECT_EQ(1, WindSector(1, 1));      // 45 degrees opens sector 1
    EXPECT_EQ(4, WindSector(-1, 0));     // wind from behind the sonic
    EXPECT_EQ(4, WindSector(-1, -0.0));  // -180 degrees is 180
    EXPECT_EQ(7, WindSector(1, -0.1));

    // The mean wind of a block counts only the records Despike kept.
    auto block = testing::Block(100);
    block->U()[7] = 40.0f;  // a spike
    ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
    const BlockWind wind = MeanWindOfGoodRecords(*block);
    EXPECT_EQ(99, wind.records);
    EXPECT_DOUBLE_EQ(3.0, wind.u);
    EXPECT_DOUBLE_EQ(static_cast<double>(0.1f), wind.w);
}

}  // namespace
}  // namespace kelvara
