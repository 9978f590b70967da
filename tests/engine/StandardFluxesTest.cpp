// The physics the standard methods must show, on synthetic half hours whose
// flow-frame fluxes are known: double rotation from every direction, a sonic
// turned by half a turn, a tilted sonic under the planar fit.

#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "pipeline/BlockMoments.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/FrameRotation.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// A record in the flow frame: the wind and the three scalars.
struct FlowRecord {
    double u, v, w, co2, h2o, ts;
};

// Turbulence over a growing canopy by day: u'w' < 0, w'Ts' > 0, w'q' > 0,
// w'c' < 0, around the mean wind (speed, 0, meanW). Deterministic on every
// platform (its own generator and Box-Muller).
std::vector<FlowRecord> FlowHalfHour(double speed, double meanW, int count, std::uint64_t seed) {
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    const auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (static_cast<double>(state >> 11) + 0.5) / 9007199254740992.0;
    };
    const auto gauss = [&] {
        return std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * std::numbers::pi * uniform());
    };
    std::vector<FlowRecord> records;
    for (int i = 0; i < count; ++i) {
        const double a = gauss(), b = gauss(), c = gauss(), d = gauss(), e = gauss(), f = gauss();
        const double w = 0.3 * (-0.4 * a + 0.9 * c);
        records.push_back({speed + 0.5 * a, 0.4 * b, meanW + w, 700.0 + 5.0 * (-0.5 * c + 0.87 * f),
                           10.0 + 0.2 * (0.5 * c + 0.87 * e), 20.0 + 0.25 * (0.6 * c + 0.8 * d)});
    }
    return records;
}

// The records as a sonic sees them: wind = turn * flow + (0, 0, offset).
std::unique_ptr<StandardBlock> SonicBlock(const std::vector<FlowRecord>& records, const Matrix& turn,
                                          double offset = 0.0) {
    auto block = std::make_unique<StandardBlock>();
    for (const FlowRecord& r : records) {
        double wind[3];
        for (std::size_t k = 0; k < 3; ++k) wind[k] = turn[k][0] * r.u + turn[k][1] * r.v + turn[k][2] * r.w;
        const float values[kVariableCount] = {static_cast<float>(wind[0]),
                                              static_cast<float>(wind[1]),
                                              static_cast<float>(wind[2] + offset),
                                              static_cast<float>(r.co2),
                                              static_cast<float>(r.h2o),
                                              static_cast<float>(r.ts),
                                              98.0f};
        EXPECT_TRUE(block->Append(values));
    }
    return block;
}

// The wind turned towards azimuth degrees, about the vertical.
Matrix Yaw(double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {{{std::cos(a), -std::sin(a), 0.0}, {std::sin(a), std::cos(a), 0.0}, {0.0, 0.0, 1.0}}};
}

// The rotation that takes the vertical onto the unit normal n, about the
// axis perpendicular to both (Rodrigues): a sonic tilted onto a plane.
Matrix TiltOnto(double nx, double ny, double nz) {
    const double norm = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= norm, ny /= norm, nz /= norm;
    const double s = std::hypot(nx, ny), c = nz, t = 1.0 - c;
    const double ax = -ny / s, ay = nx / s;
    return {{{c + ax * ax * t, ax * ay * t, ay * s}, {ax * ay * t, c + ay * ay * t, -ax * s}, {-ay * s, ax * s, c}}};
}

Matrix Times(const Matrix& a, const Matrix& b) {
    Matrix out{};
    for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t k = 0; k < 3; ++k) out[r][c] += a[r][k] * b[k][c];
    return out;
}

StandardResult Process(StandardBlock& block, const RotationSettings& rotation) {
    StandardResult result{};
    EXPECT_EQ(BlockOutcome::Computed, ProcessBlock(block, BuiltInRangeLimits(), rotation, result));
    return result;
}

void ExpectClose(double expected, double actual, double relative, const char* what) {
    EXPECT_NEAR(expected, actual, relative * std::abs(expected)) << what;
}

const RotationSettings kDoubleRotation{Rotation::TwoAxis, {}};

TEST(StandardFluxes, DoubleRotationLeavesNoMeanCrossOrVerticalWindFromAnyDirection) {
    const auto flow = FlowHalfHour(3.0, 0.0, 18000, 1);
    const double speed = 3.0;
    for (double degrees = 0.0; degrees < 360.0; degrees += 15.0) {
        // A sonic pitched a little: the mean wind has a vertical part, from
        // behind the sonic (mean u < 0) for half of the directions.
        const Matrix pitch = {
            {{std::cos(0.083), 0.0, -std::sin(0.083)}, {0.0, 1.0, 0.0}, {std::sin(0.083), 0.0, std::cos(0.083)}}};
        auto block = SonicBlock(flow, Times(Yaw(degrees), pitch));
        const StandardResult r = Process(*block, kDoubleRotation);
        EXPECT_LE(std::abs(r.ave_V), 1e-6f) << degrees;
        EXPECT_LE(std::abs(r.ave_W), 1e-6f) << degrees;
        EXPECT_NEAR(speed, r.ave_U, 0.02 * speed) << degrees;
        // u'w' = -0.06 m2 s-2 in the flow frame.
        EXPECT_NEAR(std::sqrt(0.06), r.ustar, 0.01) << degrees;
    }
}

TEST(StandardFluxes, TurningTheSonicByHalfATurnChangesNoFlux) {
    const auto flow = FlowHalfHour(2.5, 0.05, 18000, 2);
    const PlaneCoefficients plane{0.03f, 0.06f, -0.04f};
    // Turned by 180 degrees the sonic sees (-u, -v, w), and the plane w = b0
    // + b1 u + b2 v becomes the plane with -b1 and -b2.
    const struct {
        RotationSettings facing, turned;
    } cases[] = {{kDoubleRotation, kDoubleRotation},
                 {{Rotation::PlanarFit, plane}, {Rotation::PlanarFit, {plane.b0, -plane.b1, -plane.b2}}}};
    for (double degrees : {0.0, 40.0, 95.0, 160.0}) {
        auto facing = SonicBlock(flow, Yaw(degrees));
        auto turned = SonicBlock(flow, Yaw(degrees + 180.0));
        for (const auto& c : cases) {
            const StandardResult a = Process(*facing, c.facing);
            const StandardResult b = Process(*turned, c.turned);
            for (const auto field : {&StandardResult::ustar, &StandardResult::tau, &StandardResult::H,
                                     &StandardResult::LE, &StandardResult::Fc, &StandardResult::ave_U}) {
                ExpectClose(a.*field, b.*field, 2e-6, "a flux changed");
            }
            EXPECT_EQ(a.Records, b.Records);
        }
    }
}

TEST(StandardFluxes, PlanarFitOnTheKnownPlaneRecoversTheUntiltedCovariances) {
    // A mean vertical motion of 10 cm/s, which double rotation would take
    // for tilt.
    const auto flow = FlowHalfHour(3.0, 0.1, 18000, 3);
    const RangeLimits limits = BuiltInRangeLimits();
    auto level = SonicBlock(flow, Yaw(0.0));
    ASSERT_EQ(BlockOutcome::Computed, ScreenBlock(*level, limits));
    const BlockMoments truth = ComputeBlockMoments(*level);

    // The sonic tilted by about 5 and 3 degrees, its zero 2 cm/s off, and
    // turned. The plane of the mean winds in its frame, w = b0 + b1 u + b2 v,
    // has the tilted vertical n as its normal: b1 = -nx/nz, b2 = -ny/nz.
    const Matrix tilt = Times(TiltOnto(-0.09, 0.05, 1.0), Yaw(130.0));
    const double b0 = 0.02;
    auto tilted = SonicBlock(flow, tilt, b0);
    ASSERT_EQ(BlockOutcome::Computed, ScreenBlock(*tilted, limits));
    const double nx = tilt[0][2], ny = tilt[1][2], nz = tilt[2][2];
    const PlaneCoefficients plane{static_cast<float>(b0), static_cast<float>(-nx / nz), static_cast<float>(-ny / nz)};
    const BlockMoments sonic = ComputeBlockMoments(*tilted);
    const RotatedMoments fitted = RotateMoments(sonic, PlanarFitRotation(sonic, plane));

    // The one yaw per block turns onto the flow's own mean wind, whose v is
    // sampling noise around 0: the flow frame's covariances in that yaw.
    const double gamma = std::atan2(truth.mean[kV], truth.mean[kU]);
    const double uw = std::cos(gamma) * truth.cov[kU][kW] + std::sin(gamma) * truth.cov[kV][kW];
    ExpectClose(uw, fitted.cov[0][2], 1e-5, "u'w'");
    ExpectClose(truth.cov[kW][kW], fitted.cov[2][2], 1e-5, "w'w'");
    ExpectClose(truth.cov[kW][kTs], fitted.wTs, 1e-5, "w'Ts'");
    ExpectClose(truth.cov[kW][kH2O], fitted.wH2O, 1e-5, "w'q'");
    ExpectClose(truth.cov[kW][kCO2], fitted.wCO2, 1e-5, "w'c'");
    ExpectClose(truth.mean[kW], fitted.mean[2], 1e-5, "mean w");
    EXPECT_NEAR(0.0, fitted.mean[1], 1e-9);

    // Double rotation of the same sonic takes the 10 cm/s for tilt and mixes
    // u'u' into u'w': only the planar fit recovers the flow.
    const RotatedMoments doubled = RotateMoments(sonic, DoubleRotation(sonic));
    EXPECT_NEAR(0.0, doubled.mean[2], 1e-12);
    EXPECT_GT(std::abs(doubled.cov[0][2] - uw), 0.05 * std::abs(uw));
}

}  // namespace
}  // namespace kelvara
