// The quality flags: the steady-state test sees a trend, the turbulence
// test compares with its models, and the classes combine into 0, 1 or 2.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "CorrectionsTestSupport.h"
#include "corrections/QualityFlags.h"
#include "corrections/SteadyState.h"
#include "corrections/Turbulence.h"

namespace kelvara {
namespace {

using testing::Noise;
using testing::OwnedSeries;

// A half hour of u, v, w, Ts, CO2 and H2O with fluxes; trend adds a ramp
// over the half hour to w, u and CO2 and against it to Ts and H2O, each
// against its flux.
struct HalfHour {
    std::vector<double> u, v, w, ts, co2, h2o;
    HalfHour(double trend, int n = 18000) {
        Noise noise(5);
        for (int i = 0; i < n; ++i) {
            const double ramp = trend * (static_cast<double>(i) / n - 0.5);
            const double a = noise.Gauss();
            w.push_back(0.3 * a + ramp);
            u.push_back(3.0 - 0.12 * a + 0.5 * noise.Gauss() + 2.0 * ramp);
            v.push_back(0.4 * noise.Gauss());
            ts.push_back(20.0 + 0.15 * a + 0.2 * noise.Gauss() - 5.0 * ramp);
            co2.push_back(700.0 - 2.0 * a + 3.0 * noise.Gauss() + 40.0 * ramp);
            h2o.push_back(10.0 + 0.1 * a + 0.1 * noise.Gauss() - 2.0 * ramp);
        }
    }
};

SteadyStateResult SteadyStateOf(const HalfHour& h) {
    const OwnedSeries u(h.u), v(h.v), w(h.w), ts(h.ts), co2(h.co2), h2o(h.h2o);
    return SteadyStateTest({&*u, &*v, &*w, &*ts, &*co2, &*h2o});
}

TEST(SteadyState, AStationaryHalfHourPassesAndARampedOneDoesNot) {
    const SteadyStateResult steady = SteadyStateOf(HalfHour(0.0));
    for (const double percent : {steady.tau, steady.H, steady.LE, steady.FC}) {
        EXPECT_LT(percent, 16.0);
        EXPECT_EQ(0, QualityFlag(ClassOf(TruncatedPercent(percent)), 1));
    }
    const SteadyStateResult ramped = SteadyStateOf(HalfHour(0.4));
    for (const double percent : {ramped.tau, ramped.H, ramped.LE, ramped.FC}) {
        EXPECT_GT(percent, 30.0);
        EXPECT_NE(0, QualityFlag(ClassOf(TruncatedPercent(percent)), 1));
    }
}

TEST(SteadyState, TooFewPositionsOrASubIntervalWithoutPairsLeaveItMissing) {
    const HalfHour few(0.0, 5);
    EXPECT_TRUE(std::isnan(SteadyStateOf(few).H));
    // Every record of the first sixth is a gap of the gas.
    const HalfHour h(0.0, 600);
    std::vector<int> gaps;
    for (int i = 0; i < 100; ++i) gaps.push_back(i);
    const OwnedSeries u(h.u), v(h.v), w(h.w), ts(h.ts), co2(h.co2, gaps), h2o(h.h2o);
    const SteadyStateResult result = SteadyStateTest({&*u, &*v, &*w, &*ts, &*co2, &*h2o});
    EXPECT_TRUE(std::isnan(result.FC));
    EXPECT_FALSE(std::isnan(result.LE));
}

TEST(QualityFlags, ClassesAndTheirCombination) {
    const std::pair<int, int> bounds[] = {{0, 1},   {15, 1},  {16, 2},  {30, 2},   {31, 3},   {50, 3},
                                          {51, 4},  {75, 4},  {76, 5},  {100, 5},  {101, 6},  {250, 6},
                                          {251, 7}, {500, 7}, {501, 8}, {1000, 8}, {1001, 9}, {INT_MAX, 9}};
    for (const auto& [percent, cls] : bounds) EXPECT_EQ(cls, TestClass(percent)) << percent;
    EXPECT_EQ(0, QualityFlag(2, 1));
    EXPECT_EQ(1, QualityFlag(3, 2));
    EXPECT_EQ(1, QualityFlag(5, 5));
    EXPECT_EQ(2, QualityFlag(6, 1));
    EXPECT_EQ(2, QualityFlag(1, std::nullopt));
    EXPECT_EQ(2, QualityFlag(std::nullopt, 1));
    EXPECT_EQ(15, TruncatedPercent(15.999));
    EXPECT_EQ(INT_MAX, TruncatedPercent(1e300));
    EXPECT_FALSE(TruncatedPercent(std::nan("")));
    EXPECT_EQ(4, WorseClass(4, 2));
    EXPECT_FALSE(WorseClass(4, std::nullopt));
}

TEST(Turbulence, MeasuredRatiosAgainstTheirModels) {
    // Unstable, z/L = -1.5: sigma_w/u* = 1.3 (1 + 3)^(1/3), sigma_u/u* = 4.15 1.5^(1/8),
    // sigma_Ts/|T*| = 1.5^(-1/3).
    const double w = 1.3 * std::cbrt(4.0), u = 4.15 * std::pow(1.5, 0.125), t = std::pow(1.5, -1.0 / 3.0);
    const TurbulenceTest exact = ComputeTurbulenceTest({-1.5, 0.4, -0.5, u * 0.4, w * 0.4, t * 0.5, 50.0});
    EXPECT_NEAR(0.0, exact.u, 1e-9);
    EXPECT_NEAR(0.0, exact.w, 1e-9);
    EXPECT_NEAR(0.0, exact.ts, 1e-9);
    const TurbulenceTest off = ComputeTurbulenceTest({-1.5, 0.4, -0.5, u * 0.4 * 1.2, w * 0.4 * 0.7, t, 50.0});
    EXPECT_NEAR(20.0, off.u, 1e-9);
    EXPECT_NEAR(30.0, off.w, 1e-9);

    // Near neutral the models need the Coriolis parameter: f = 2 Omega sin(50 deg).
    const double f = 2.0 * (2.0 * std::numbers::pi / 86400.0) * std::sin(50.0 * std::numbers::pi / 180.0);
    const double model = 0.21 * std::log(f / 0.3) + 3.1;
    EXPECT_NEAR(50.0, ComputeTurbulenceTest({-0.1, 0.3, -0.1, 1.0, 1.5 * model * 0.3, 0.1, 50.0}).w, 1e-9);
    // At the equator, without a z/L, or at z/L = 0 for Ts, a test is undefined.
    EXPECT_TRUE(std::isnan(ComputeTurbulenceTest({-0.1, 0.3, -0.1, 1.0, 0.5, 0.1, 0.0}).w));
    EXPECT_FALSE(std::isnan(ComputeTurbulenceTest({-0.5, 0.3, -0.1, 1.0, 0.5, 0.1, 0.0}).w));
    EXPECT_TRUE(std::isnan(ComputeTurbulenceTest({std::nan(""), 0.3, -0.1, 1.0, 0.5, 0.1, 50.0}).u));
    EXPECT_TRUE(std::isnan(ComputeTurbulenceTest({0.0, 0.3, -0.1, 1.0, 0.5, 0.1, 50.0}).ts));
}

}  // namespace
}  // namespace kelvara
