// 2-axis rotation and planar fit on worked examples; the exact values come
// from the independent implementation in tools/oracle.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "EngineTestSupport.h"
#include "pipeline/Rotation.h"

namespace kelvara {
namespace {

struct Wind {
    float u, v, w;
};

class RotationTest : public ::testing::Test {
protected:
    std::unique_ptr<BlockBuffer> block = std::make_unique<BlockBuffer>();

    // Loads the records (every other one flagged: they turn all the same).
    void Load(const std::vector<Wind>& records) {
        block->count = static_cast<int>(records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            block->U()[i] = records[i].u;
            block->V()[i] = records[i].v;
            block->W()[i] = records[i].w;
            for (int v = 0; v < kVariableCount; ++v) block->flag[v][i] = static_cast<std::int16_t>(i % 2);
        }
    }
    void TwoAxis(const std::vector<Wind>& records, Wind mean) {
        Load(records);
        block->mean[kU] = mean.u;
        block->mean[kV] = mean.v;
        block->mean[kW] = mean.w;
        RotateTwoAxis(*block);
    }
    void Expect(const std::vector<Wind>& expected) const {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_SAME_FLOAT(expected[i].u, block->U()[i]) << "U of " << i;
            EXPECT_SAME_FLOAT(expected[i].v, block->V()[i]) << "V of " << i;
            EXPECT_SAME_FLOAT(expected[i].w, block->W()[i]) << "W of " << i;
        }
    }
};

TEST_F(RotationTest, TwoAxisPutsAPositiveMeanWindOnTheUAxis) {
    TwoAxis({{2, 1, 0.1f}, {4, -1, 0.5f}}, {3, 0, 0.3f});  // theta = atan 0.1, eta = 0
    Expect({{2.0000248f, 1.0f, -0.09950373f}, {4.0299006f, -1.0f, 0.09950369f}});
    EXPECT_NEAR(std::sqrt(9.09), (block->U()[0] + block->U()[1]) / 2, 1e-6);
    EXPECT_NEAR(0.0, (block->W()[0] + block->W()[1]) / 2, 1e-6);
}

TEST_F(RotationTest, TwoAxisMakesNoQuadrantCorrectionForANegativeMeanU) {
    TwoAxis({{-2, 1, 0.1f}, {-4, -1, 0.5f}}, {-3, 0, 0.3f});
    Expect({{-1.980124f, 1.0f, 0.29851118f}, {-3.9303968f, -1.0f, 0.8955335f}});
    const double cosTheta = std::cos(std::atan(0.1));
    EXPECT_NEAR(-2.97 * cosTheta, (block->U()[0] + block->U()[1]) / 2, 1e-6);
    EXPECT_NEAR(0.6 * cosTheta, (block->W()[0] + block->W()[1]) / 2, 1e-6);  // 2 m(W) cos theta, not 0
}

TEST_F(RotationTest, TwoAxisTakesZeroForAZeroByZeroAngle) {
    TwoAxis({{1, 1, 0.3f}, {-1, -1, 0.3f}}, {0, 0, 0.3f});  // eta = 0, theta = 90 degrees
    Expect({{0.29999998f, 1.0f, -1.0f}, {0.30000004f, -1.0f, 1.0f}});
    TwoAxis({{1, 1, 0.3f}, {-1, -1, -0.3f}}, {0, 0, 0});  // no mean wind: nothing turns
    Expect({{1, 1, 0.3f}, {-1, -1, -0.3f}});
}

TEST_F(RotationTest, PlanarFitTurnsEveryRecordIntoItsOwnDirection) {
    Load({{3, 4, 0.2f}, {-3, 4, 0.2f}, {0, 0, 0.7f}});  // level plane; up = vp = 0 gives gamma = 0
    RotatePlanarFit(*block, {});
    Expect({{5.0f, 5.0121585e-08f, 0.2f}, {-5.0f, 5.0121585e-08f, 0.2f}, {0.0f, 0.0f, 0.7f}});
    Load({{3, 1, 0.2f}, {-2, 0.5f, -0.1f}});  // tilted plane; U keeps the sign of up
    RotatePlanarFit(*block, {0.05f, 0.02f, -0.03f});
    Expect({{3.1635597f, -3.7983e-08f, 0.119955026f}, {-2.0648205f, 1.310851e-08f, -0.09495329f}});
}

TEST_F(RotationTest, BothTouchOnlyUVWOfTheFirstNRecords) {
    for (int v = 0; v < kVariableCount; ++v) {
        for (int i = 0; i < kBlockCapacity; ++i) block->sample[v][i] = static_cast<float>(v + i % 7);
        block->mean[v] = static_cast<float>(1 + v);
    }
    block->count = 100;
    auto before = std::make_unique<BlockBuffer>(*block);
    RotateTwoAxis(*block);
    RotatePlanarFit(*block, {0.05f, 0.02f, -0.03f});
    EXPECT_EQ(0, std::memcmp(before->flag, block->flag, sizeof block->flag));
    EXPECT_EQ(0, std::memcmp(before->mean, block->mean, sizeof block->mean));
    EXPECT_EQ(0, std::memcmp(before->sample[kCO2], block->sample[kCO2], sizeof(float) * kBlockCapacity * 4));
    for (int v = kU; v <= kW; ++v)
        EXPECT_EQ(0,
                  std::memcmp(before->sample[v] + 100, block->sample[v] + 100, sizeof(float) * (kBlockCapacity - 100)));
    EXPECT_NE(0, std::memcmp(before->sample[kU], block->sample[kU], sizeof(float) * 100));
}

}  // namespace
}  // namespace kelvara
