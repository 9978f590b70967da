// Air properties, means and fluxes on a worked example. The exact values
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

TEST(Fluxes, AirPropertiesMeansAndFluxesOfTheWorkedExample) {
    // Ts = 20, H2O = 10, P = 100 on the ten good records; an eleventh record
    // with other values lost a flag and must count nowhere.
    auto block = Block(11, {3, 1, 0, 700, 10, 20, 100});
    ASSERT_TRUE(Despike(*block, BuiltInRangeLimits()));
    const float flagged[kVariableCount] = {9, -4, 2, 900, 30, 35, 90};
    for (int v = 0; v < kVariableCount; ++v) block->sample[v][10] = flagged[v];
    block->flag[kU][10] = 0;
    block->Tc[10] = -1.0f;
    ComputeAirProperties(*block);
    EXPECT_EQ(-1.0f, block->Tc[10]);
    for (int i = 0; i < 10; ++i) EXPECT_SAME_FLOAT(291.87787f, block->Tc[i]);  // below Tk = 293.16
    EXPECT_SAME_FLOAT(41.02698f, block->air.n_a);
    EXPECT_SAME_FLOAT(0.013482003f, block->air.chi_v);
    EXPECT_SAME_FLOAT(1.1722811f, block->air.rho_d);
    EXPECT_SAME_FLOAT(1.1822813f, block->air.rho);  // rho_d + 0.01

    // Deviations giving cov(U,W) = -0.09, cov(V,W) = 0, cov(W,Tc) = 0.1,
    // cov(W,CO2) = -0.5 and cov(W,H2O) = 0.05.
    for (int i = 0; i < 10; ++i) {
        const float sign = i % 2 == 0 ? 1.0f : -1.0f;
        block->W()[i] = 0.5f * sign;
        block->U()[i] = 3.0f - 0.18f * sign;
        block->sample[kCO2][i] = 700.0f - 1.0f * sign;
        block->sample[kH2O][i] = 10.0f + 0.1f * sign;
        block->Tc[i] = 291.87787f + 0.2f * sign;
    }
    ComputeMeans(*block);
    const FluxResult r = ComputeFluxes(*block);
    const float expected[15] = {0.30000004f, 0.106405355f, 700,        10,         100,        20, 18.717869f, 3, 1, 0,
                                118.7875f,   0.16350873f,  5.4974303f, 123.64875f, -5.7026973f};
    for (std::size_t k = 0; k < kFluxResultFloats.size(); ++k) {
        EXPECT_SAME_FLOAT(expected[k], r.*kFluxResultFloats[k]) << "field " << k;
    }
    EXPECT_EQ(10, r.Records);

    // With cov(V,W) = 0.025, s is no float: rounding it before its root would show.
    for (int i = 0; i < 10; ++i) block->V()[i] = 1.0f + 0.05f * (i % 2 == 0 ? 1.0f : -1.0f);
    ComputeMeans(*block);
    EXPECT_SAME_FLOAT(0.3056268f, ComputeFluxes(*block).ustar);
    EXPECT_SAME_FLOAT(0.11043421f, ComputeFluxes(*block).tau);
}

}  // namespace
}  // namespace kelvara
