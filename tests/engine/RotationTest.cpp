// 2-axis rotation and planar fit: angles and direction cosines stored as
// floats, sines and cosines in double, every record rotated, flags untouched.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "Rotation.h"

namespace kelvara {
namespace {

using testing::Bits;
using testing::Noise;

struct Wind {
    float u, v, w;
};

// An angle from a quotient, with 0/0 taken as 0.
float AngleOf(double numerator, double denominator) {
    if (numerator == 0.0 && denominator == 0.0) return 0.0f;
    return static_cast<float>(std::atan(numerator / denominator));
}

Wind TwoAxisByHand(Wind x, float mU, float mV, float mW) {
    const float h = static_cast<float>(std::sqrt(static_cast<double>(mU) * mU + static_cast<double>(mV) * mV));
    const float theta = AngleOf(mW, h);
    const float eta = AngleOf(mV, mU);
    const double ct = std::cos(static_cast<double>(theta)), st = std::sin(static_cast<double>(theta));
    const double ce = std::cos(static_cast<double>(eta)), se = std::sin(static_cast<double>(eta));
    const double u = x.u, v = x.v, w = x.w;
    return {static_cast<float>(u * ct * ce + v * ct * se + w * st), static_cast<float>(v * ce - u * se),
            static_cast<float>(w * ct - u * st * ce - v * st * se)};
}

Wind PlanarFitByHand(Wind x, float b0, float b1, float b2) {
    const double S = std::sqrt(static_cast<double>(b1) * b1 + static_cast<double>(b2) * b2 + 1.0);
    const float k1 = static_cast<float>(-static_cast<double>(b1) / S);
    const float k2 = static_cast<float>(-static_cast<double>(b2) / S);
    const float k3 = static_cast<float>(1.0 / S);
    const double q = std::sqrt(static_cast<double>(k2) * k2 + static_cast<double>(k3) * k3);
    const double sinA = k1;
    const double cosA = static_cast<float>(q);
    const double sinB = static_cast<float>(-static_cast<double>(k2) / q);
    const double cosB = static_cast<float>(static_cast<double>(k3) / q);
    const double u = x.u, v = x.v, d = static_cast<double>(x.w) - b0;
    const float up = static_cast<float>(u * cosA - d * sinA);
    const float vp = static_cast<float>(u * sinA * sinB + v * cosB + d * cosA * sinB);
    const float wp = static_cast<float>(u * sinA * cosB - v * sinB + d * cosA * cosB);
    const float gamma = AngleOf(vp, up);
    const double cg = std::cos(static_cast<double>(gamma)), sg = std::sin(static_cast<double>(gamma));
    return {static_cast<float>(cg * up + sg * vp), static_cast<float>(cg * vp - sg * up), wp};
}

std::unique_ptr<BlockBuffer> BlockOf(const std::vector<Wind>& records) {
    auto block = std::make_unique<BlockBuffer>();
    for (std::size_t i = 0; i < records.size(); ++i) {
        block->U()[i] = records[i].u;
        block->V()[i] = records[i].v;
        block->W()[i] = records[i].w;
    }
    block->count = static_cast<int>(records.size());
    return block;
}

Wind At(const BlockBuffer& block, int i) { return {block.U()[i], block.V()[i], block.W()[i]}; }

void ExpectSameWind(Wind expected, Wind actual, int record) {
    EXPECT_EQ(Bits(expected.u), Bits(actual.u)) << "U of record " << record << ": " << expected.u << " vs " << actual.u;
    EXPECT_EQ(Bits(expected.v), Bits(actual.v)) << "V of record " << record << ": " << expected.v << " vs " << actual.v;
    EXPECT_EQ(Bits(expected.w), Bits(actual.w)) << "W of record " << record << ": " << expected.w << " vs " << actual.w;
}

// Records scattered around a given mean wind, whose means are exactly it.
std::vector<Wind> AroundMean(float mU, float mV, float mW) {
    return {{mU - 1, mV + 1, mW - 0.2f}, {mU + 1, mV - 1, mW + 0.2f}, {mU + 0.5f, mV - 0.5f, mW},
            {mU - 0.5f, mV + 0.5f, mW}, {mU, mV, mW - 0.1f}, {mU, mV, mW + 0.1f}};
}

Wind MeanOf(const BlockBuffer& block, int n) {
    double u = 0, v = 0, w = 0;
    for (int i = 0; i < n; ++i) {
        u += block.U()[i];
        v += block.V()[i];
        w += block.W()[i];
    }
    return {static_cast<float>(u / n), static_cast<float>(v / n), static_cast<float>(w / n)};
}

// Rotates the block by its given means and checks every record to the bit.
void RotateTwoAxisAndCheck(BlockBuffer& block, int n, float mU, float mV, float mW) {
    std::vector<Wind> before;
    for (int i = 0; i < n; ++i) before.push_back(At(block, i));
    block.mean[kU] = mU;
    block.mean[kV] = mV;
    block.mean[kW] = mW;
    RotateTwoAxis(block, n);
    for (int i = 0; i < n; ++i) ExpectSameWind(TwoAxisByHand(before[static_cast<std::size_t>(i)], mU, mV, mW), At(block, i), i);
}

TEST(RotateTwoAxis, MeanWindAlongPositiveU) {
    auto block = BlockOf(AroundMean(3.0f, 0.0f, 0.3f));
    RotateTwoAxisAndCheck(*block, 6, 3.0f, 0.0f, 0.3f);
    Wind mean = MeanOf(*block, 6);
    EXPECT_NEAR(std::sqrt(9.09), mean.u, 2e-6);
    EXPECT_NEAR(0.0, mean.v, 2e-6);
    EXPECT_NEAR(0.0, mean.w, 2e-6);
}

TEST(RotateTwoAxis, NegativeMeanUGetsNoQuadrantCorrection) {
    auto block = BlockOf(AroundMean(-3.0f, 0.0f, 0.3f));
    RotateTwoAxisAndCheck(*block, 6, -3.0f, 0.0f, 0.3f);
    const double cosTheta = std::cos(std::atan(0.1));
    Wind mean = MeanOf(*block, 6);
    EXPECT_NEAR(-2.97 * cosTheta, mean.u, 2e-6);
    EXPECT_NEAR(0.0, mean.v, 2e-6);
    EXPECT_NEAR(0.6 * cosTheta, mean.w, 2e-6);  // 2 m(W) cos(theta), not 0
}

TEST(RotateTwoAxis, AnyCrossWindEndsOnTheUAxis) {
    for (float mV : {-1.5f, 0.7f, 4.0f}) {
        auto block = BlockOf(AroundMean(2.0f, mV, 0.2f));
        RotateTwoAxisAndCheck(*block, 6, 2.0f, mV, 0.2f);
        Wind mean = MeanOf(*block, 6);
        EXPECT_NEAR(std::sqrt(4.0 + static_cast<double>(mV) * mV + 0.04), mean.u, 4e-6);
        EXPECT_NEAR(0.0, mean.v, 4e-6);
        EXPECT_NEAR(0.0, mean.w, 4e-6);
    }
}

TEST(RotateTwoAxis, ZeroHorizontalMeanTakesZeroDirection) {
    // m(U) = m(V) = 0: eta = 0, theta = +-90 degrees by the sign of m(W).
    for (float mW : {0.3f, -0.3f}) {
        auto block = BlockOf(AroundMean(0.0f, 0.0f, mW));
        RotateTwoAxisAndCheck(*block, 6, 0.0f, 0.0f, mW);
        for (int i = 0; i < 6; ++i) {
            Wind x = At(*block, i);
            Wind original = AroundMean(0.0f, 0.0f, mW)[static_cast<std::size_t>(i)];
            ASSERT_FALSE(std::isnan(x.u) || std::isnan(x.v) || std::isnan(x.w));
            EXPECT_NEAR(mW > 0 ? original.w : -original.w, x.u, 1e-6);
            EXPECT_SAME_FLOAT(original.v, x.v);
            EXPECT_NEAR(mW > 0 ? -original.u : original.u, x.w, 1e-6);
        }
    }
    // No mean wind at all: nothing turns.
    std::vector<Wind> still = AroundMean(0.0f, 0.0f, 0.0f);
    auto block = BlockOf(still);
    RotateTwoAxisAndCheck(*block, 6, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 6; ++i) ExpectSameWind(still[static_cast<std::size_t>(i)], At(*block, i), i);
}

TEST(RotateTwoAxis, ZeroMeanUWithCrossWindTurnsNinetyDegrees) {
    for (float mV : {2.0f, -2.0f}) {
        auto block = BlockOf(AroundMean(0.0f, mV, 0.0f));
        RotateTwoAxisAndCheck(*block, 6, 0.0f, mV, 0.0f);
        Wind mean = MeanOf(*block, 6);
        EXPECT_NEAR(2.0, mean.u, 1e-6);
        EXPECT_NEAR(0.0, mean.v, 1e-6);
    }
}

TEST(RotateTwoAxis, AnglesComeFromStoredSinglePrecisionValues) {
    Noise noise(23);
    for (int trial = 0; trial < 3000; ++trial) {
        const float mU = static_cast<float>(5 * noise.Next()), mV = static_cast<float>(5 * noise.Next());
        const float mW = static_cast<float>(0.5 * noise.Next());
        auto block = BlockOf(AroundMean(mU, mV, mW));
        RotateTwoAxisAndCheck(*block, 6, mU, mV, mW);
        if (HasFailure()) FAIL() << "means " << mU << ", " << mV << ", " << mW;
    }
}

TEST(RotateTwoAxis, RotatesEveryRecordAndTouchesNothingElse) {
    auto block = std::make_unique<BlockBuffer>();
    Noise noise(3);
    const int n = 4000;
    for (int i = 0; i < kBlockCapacity; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            block->sample[v][i] = static_cast<float>(v * 10 + noise.Next());
            block->flag[v][i] = static_cast<std::int16_t>((i + v) % 3 == 0 ? 0 : 1);
        }
        block->Tc[i] = static_cast<float>(290 + noise.Next());
    }
    for (int v = 0; v < kVariableCount; ++v) block->mean[v] = static_cast<float>(v + 0.25);
    block->mean[kU] = 1.3f;
    block->mean[kV] = -0.4f;
    block->mean[kW] = 0.05f;
    auto before = std::make_unique<BlockBuffer>();
    std::memcpy(before.get(), block.get(), sizeof(BlockBuffer));

    RotateTwoAxis(*block, n);
    for (int i = 0; i < n; ++i) {
        ExpectSameWind(TwoAxisByHand(At(*before, i), 1.3f, -0.4f, 0.05f), At(*block, i), i);
        if (HasFailure()) return;
    }
    EXPECT_EQ(0, std::memcmp(before->U() + n, block->U() + n, sizeof(float) * (kBlockCapacity - n)));
    EXPECT_EQ(0, std::memcmp(before->W() + n, block->W() + n, sizeof(float) * (kBlockCapacity - n)));
    EXPECT_EQ(0, std::memcmp(before->sample[kCO2], block->sample[kCO2], sizeof(float) * kBlockCapacity * 4));
    EXPECT_EQ(0, std::memcmp(before->flag, block->flag, sizeof block->flag));
    EXPECT_EQ(0, std::memcmp(before->mean, block->mean, sizeof block->mean));
    EXPECT_EQ(0, std::memcmp(before->Tc, block->Tc, sizeof block->Tc));
}

TEST(RotatePlanarFit, LevelPlaneTurnsEachRecordIntoItsOwnDirection) {
    std::vector<Wind> records = {{3, 4, 0.2f}, {-3, 4, 0.2f}, {0, 3, 0.1f}, {0, 0, 0.7f}, {0, -2, 0}};
    auto block = BlockOf(records);
    RotatePlanarFit(*block, 5, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 5; ++i) ExpectSameWind(PlanarFitByHand(records[static_cast<std::size_t>(i)], 0, 0, 0), At(*block, i), i);
    EXPECT_NEAR(5.0, block->U()[0], 1e-6);
    EXPECT_NEAR(0.0, block->V()[0], 1e-6);
    EXPECT_SAME_FLOAT(0.2f, block->W()[0]);
    EXPECT_NEAR(-5.0, block->U()[1], 1e-6);
    EXPECT_NEAR(0.0, block->V()[1], 1e-6);
    EXPECT_SAME_FLOAT(0.2f, block->W()[1]);
    // up = 0 with vp != 0: gamma = 90 degrees, U = vp.
    EXPECT_NEAR(3.0, block->U()[2], 1e-6);
    EXPECT_NEAR(0.0, block->V()[2], 1e-6);
    EXPECT_NEAR(2.0, block->U()[4], 1e-6);  // +0 for up: U = |vp|
    // up = vp = 0: gamma = 0, no NaN.
    EXPECT_SAME_FLOAT(0.0f, std::fabs(block->U()[3]));
    EXPECT_SAME_FLOAT(0.0f, std::fabs(block->V()[3]));
    EXPECT_SAME_FLOAT(0.7f, block->W()[3]);
}

TEST(RotatePlanarFit, TiltedPlaneExample) {
    std::vector<Wind> records = {{3, 1, 0.2f}, {-2, 0.5f, -0.1f}};
    auto block = BlockOf(records);
    RotatePlanarFit(*block, 2, 0.05f, 0.02f, -0.03f);
    for (int i = 0; i < 2; ++i) {
        ExpectSameWind(PlanarFitByHand(records[static_cast<std::size_t>(i)], 0.05f, 0.02f, -0.03f), At(*block, i), i);
    }
    EXPECT_NEAR(0.0, block->V()[0], 1e-6);
    EXPECT_NEAR(0.12, block->W()[0], 2e-3);
    EXPECT_GT(block->U()[0], 3.1f);
    EXPECT_NEAR(0.0, block->V()[1], 1e-6);
    EXPECT_LT(block->U()[1], -2.0f);
}

TEST(RotatePlanarFit, EveryRecordOfAnyPlaneEndsWithZeroV) {
    Noise noise(17);
    for (int trial = 0; trial < 400; ++trial) {
        const float b0 = static_cast<float>(0.1 * noise.Next());
        const float b1 = static_cast<float>(0.2 * noise.Next());
        const float b2 = static_cast<float>(0.2 * noise.Next());
        const int n = trial == 0 ? 3000 : 20;
        std::vector<Wind> records;
        for (int i = 0; i < n; ++i) {
            records.push_back({static_cast<float>(4 * noise.Next()), static_cast<float>(4 * noise.Next()),
                               static_cast<float>(noise.Next())});
        }
        auto block = BlockOf(records);
        for (int i = 0; i < n; ++i) block->flag[kU][i] = static_cast<std::int16_t>(i % 2);  // flagged records turn too
        RotatePlanarFit(*block, n, b0, b1, b2);
        for (int i = 0; i < n; ++i) {
            Wind x = At(*block, i);
            ExpectSameWind(PlanarFitByHand(records[static_cast<std::size_t>(i)], b0, b1, b2), x, i);
            EXPECT_LE(std::fabs(x.v), 1e-6f * (1.0f + std::fabs(x.u))) << i;
            if (HasFailure()) return;
        }
    }
}

TEST(RotatePlanarFit, LeavesFlagsAndOtherArraysAlone) {
    auto block = std::make_unique<BlockBuffer>();
    Noise noise(5);
    const int n = 100;
    for (int i = 0; i < kBlockCapacity; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            block->sample[v][i] = static_cast<float>(v + noise.Next());
            block->flag[v][i] = static_cast<std::int16_t>(i % 2);
        }
    }
    auto before = std::make_unique<BlockBuffer>();
    std::memcpy(before.get(), block.get(), sizeof(BlockBuffer));
    RotatePlanarFit(*block, n, 0.05f, 0.02f, -0.03f);
    EXPECT_EQ(0, std::memcmp(before->flag, block->flag, sizeof block->flag));
    EXPECT_EQ(0, std::memcmp(before->sample[kCO2], block->sample[kCO2], sizeof(float) * kBlockCapacity * 4));
    EXPECT_EQ(0, std::memcmp(before->mean, block->mean, sizeof block->mean));
    EXPECT_EQ(0, std::memcmp(before->V() + n, block->V() + n, sizeof(float) * (kBlockCapacity - n)));
    for (int i = 0; i < n; ++i) EXPECT_NE(Bits(before->V()[i]), Bits(block->V()[i])) << i;
}

}  // namespace
}  // namespace kelvara
