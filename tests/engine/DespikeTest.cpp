// Despike on worked examples. The exact values
// come from the independent implementation in tools/oracle; whole blocks
// through the pipeline are pinned by the golden results in JobsTest.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "pipeline/AirProperties.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/Despike.h"
#include "pipeline/Fluxes.h"
#include "pipeline/Means.h"

namespace kelvara {
namespace {

using testing::Block;

TEST(Despike, LoneSpikeAmongEqualSamplesIsFlaggedAndReplaced) {
    auto block = Block(1000);
    std::fill_n(block->U(), 1000, 1.0f);
    block->U()[500] = 100.0f;  // out of range: mean 1.0, threshold 0
    ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(i == 500 ? 0 : 1, block->flag[kU][i]) << i;
        ASSERT_EQ(1.0f, block->U()[i]) << i;
        for (int v = kV; v < kVariableCount; ++v) ASSERT_EQ(1, block->flag[v][i]);  // only its own flag
    }
    EXPECT_EQ(999, block->GoodRecordCount());
}

TEST(Despike, VariableWithNothingStrictlyInRangeRejectsTheBlockUntouched) {
    const RangeLimits limits = BuiltInRangeLimits();
    for (int bound = 0; bound < 2 * kVariableCount; ++bound) {  // every variable on either limit
        auto block = Block(50);
        std::fill_n(block->sample[bound / 2], 50, limits.Field(bound));
        std::memset(block->flag, 7, sizeof block->flag);
        auto before = std::make_unique<BlockBuffer>(*block);
        EXPECT_FALSE(Despike(*block, limits)) << bound;
        EXPECT_EQ(0, std::memcmp(before->sample, block->sample, sizeof block->sample)) << bound;
        EXPECT_EQ(0, std::memcmp(before->flag, block->flag, sizeof block->flag)) << bound;
    }
    RangeLimits swapped = limits;  // a minimum above its maximum leaves nothing in range
    std::swap(swapped.H2O_Min, swapped.H2O_Max);
    EXPECT_FALSE(Despike(*Block(50), swapped));
}

TEST(Despike, BandsOfTheFirstAndSecondMean) {
    // A sample on a limit is left out of the screening, so it cannot widen
    // the band that would keep it.
    auto block = Block(5);
    for (float limit : {50.0f, -50.0f}) {
        const float u[5] = {1, 1, limit, 1, 1};
        std::copy(u, u + 5, block->U());
        ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
        EXPECT_EQ(0, block->flag[kU][2]);
        EXPECT_EQ(1.0f, block->U()[2]);
    }
    // Range 0..4.504: in-range mean 1.5, threshold exactly 6 x 0.5 = 3 (divisor
    // N - 1, or a factor a bit above 6, would keep 4.504). The 0 on the limit
    // lies in the band and keeps flag and value; 4.504 becomes the second mean.
    RangeLimits limits = BuiltInRangeLimits();
    limits.U_Min = 0.0f;
    limits.U_Max = 4.504f;
    block = Block(8);
    const float u[8] = {1, 2, 1, 2, 0, 1, 2, 4.504f};
    std::copy(u, u + 8, block->U());
    ASSERT_TRUE(Despike(*block, limits));
    EXPECT_EQ(1, block->flag[kU][4]);
    EXPECT_EQ(0.0f, block->U()[4]);
    EXPECT_EQ(0, block->flag[kU][7]);
    EXPECT_SAME_FLOAT(static_cast<float>(9.0 / 7.0), block->U()[7]);

    // The spike at 40 moves the second mean down: 7.9 lies inside m1 +- th but
    // outside m2 +- th (kept, overwritten); -7.86 the other way round.
    block = Block(1000);
    std::fill_n(block->U(), 1000, 0.0f);
    block->U()[0] = 40.0f;
    block->U()[1] = 7.9f;
    block->U()[2] = -7.86f;
    ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
    const float m2 = static_cast<float>(static_cast<double>(7.9f) / 998.0);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 1}), (std::vector<int>(block->flag[kU], block->flag[kU] + 4)));
    EXPECT_EQ((std::vector<float>{m2, m2, -7.86f, 0.0f}), (std::vector<float>(block->U(), block->U() + 4)));
}

TEST(Despike, SumOfSquaresIsASinglePrecisionRunningSum) {
    // 5.844697 is out of range, so it sets no statistic; it lies inside the
    // band of the float sum of squares and just outside that of a double sum.
    auto block = Block(8);
    for (int i = 0; i < 7; ++i) block->U()[i] = 3.0f + static_cast<float>(i * 53 % 101) / 64.0f;
    block->U()[7] = 5.844697f;
    RangeLimits limits = BuiltInRangeLimits();
    limits.U_Max = 5.0f;
    ASSERT_TRUE(Despike(*block, limits));
    EXPECT_EQ(1, block->flag[kU][7]);
}

TEST(Despike, NaNLosesItsFlagAndNoGoodRecordRejectsTheBlock) {
    auto block = Block(40);
    block->sample[kCO2][3] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
    EXPECT_EQ(0, block->flag[kCO2][3]);
    EXPECT_EQ(39, block->GoodRecordCount());

    // U and V spikes on complementary records: the screening passes, yet no
    // record keeps all seven flags.
    block = Block(10);
    for (int i = 0; i < 10; ++i) {
        block->U()[i] = i < 5 ? 1.0f : 100.0f;
        block->V()[i] = i < 5 ? 100.0f : 1.0f;
    }
    auto copy = std::make_unique<BlockBuffer>(*block);
    ASSERT_TRUE(Despike(*copy, BuiltInRangeLimits()));
    EXPECT_EQ(0, copy->GoodRecordCount());
    FluxResult result{};
    EXPECT_EQ(BlockOutcome::Rejected, ProcessBlock(*block, BuiltInRangeLimits(), RotationSettings{}, result));
}

}  // namespace
}  // namespace kelvara
