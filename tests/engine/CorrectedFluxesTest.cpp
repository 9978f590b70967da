// A half hour of the synthetic tower through all ten steps: the lags found,
// the corrections' direction and size, stability, flags and coverage.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "TowerModel.h"
#include "corrections/CorrectedFluxes.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/StandardFluxes.h"

namespace kelvara {
namespace {

using samples::TowerModel;
using samples::TowerSample;
using samples::TowerShape;

// count records at 10 Hz of the tower from startHour, screened.
std::unique_ptr<StandardBlock> TowerBlock(const TowerShape& shape, double startHour, int count = 18000) {
    auto block = std::make_unique<StandardBlock>();
    TowerModel model(7, 10, shape);
    TowerSample sample;
    for (int i = 0; i < count; ++i) {
        model.Step(startHour + i / 36000.0, i % 10 == 0, sample);
        float values[kVariableCount];
        for (int v = 0; v < kVariableCount; ++v) values[v] = static_cast<float>(sample.value[v]);
        EXPECT_TRUE(block->Append(values));
    }
    EXPECT_EQ(BlockOutcome::Computed, ScreenBlock(*block, BuiltInRangeLimits()));
    return block;
}

FluxSettings Settings() {
    FluxSettings settings;
    settings.site.measurementHeight = 3.0;
    settings.site.latitude = 47.0;
    settings.fs = 10.0;
    return settings;
}

CorrectedFluxes Corrected(const StandardBlock& block, const FluxSettings& settings,
                          const RotationSettings& rotation = {}) {
    CorrectionWorkspace workspace;
    CorrectedFluxes fluxes;
    EXPECT_TRUE(ComputeCorrectedFluxes(block, rotation, settings, workspace, fluxes));
    return fluxes;
}

TEST(CorrectedFluxes, WithoutALagTheUncorrectedValuesAreTheStandardMethods) {
    const auto block = TowerBlock({}, 12.0);
    for (const RotationSettings& rotation :
         {RotationSettings{}, RotationSettings{Rotation::PlanarFit, PlaneCoefficients{0.02f, 0.05f, -0.03f}}}) {
        FluxSettings settings = Settings();
        settings.site.lagMethod = LagMethod::None;
        const CorrectedFluxes f = Corrected(*block, settings, rotation);
        const StandardResult standard = ComputeStandardFluxes(*block, rotation);
        EXPECT_EQ(standard.tau, static_cast<float>(f.tauStd));
        EXPECT_EQ(standard.H, static_cast<float>(f.HStd));
        EXPECT_EQ(standard.LE, static_cast<float>(f.LEStd));
        EXPECT_EQ(standard.Fc, static_cast<float>(f.FCStd));
        EXPECT_EQ(standard.ustar, static_cast<float>(f.ustarStd));
        EXPECT_EQ(standard.ave_Ta, static_cast<float>(f.airTemperature));
        EXPECT_EQ(18000, f.N);
        EXPECT_DOUBLE_EQ(100.0, f.coverage);
    }
}

TEST(CorrectedFluxes, APlantedLagIsFoundAndApplied) {
    TowerShape shape;
    shape.co2LagRecords = 3;
    shape.h2oLagRecords = 7;
    const auto block = TowerBlock(shape, 12.0);
    FluxSettings settings = Settings();
    settings.site.co2Min = settings.site.h2oMin = -1.0;
    settings.site.co2Max = settings.site.h2oMax = 1.0;
    const CorrectedFluxes f = Corrected(*block, settings);
    EXPECT_EQ(3, f.co2Lag.found);
    EXPECT_EQ(3, f.co2Lag.used);
    EXPECT_DOUBLE_EQ(0.3, f.co2Lag.usedSeconds);
    EXPECT_EQ(7, f.h2oLag.used);
    EXPECT_FALSE(f.h2oLag.usedDefault);
    // Unlagged, the fluxes are much smaller.
    const StandardResult standard = ComputeStandardFluxes(*block, {});
    EXPECT_LT(std::fabs(standard.Fc), 0.5 * std::fabs(f.FCStd));
    EXPECT_LT(standard.LE, 0.6 * f.LEStd);

    // The auto window (+-0.3 s without a separation) ends at the CO2 lag: the default is used.
    settings.site = Settings().site;
    settings.site.co2Default = 0.1;
    const CorrectedFluxes edge = Corrected(*block, settings);
    EXPECT_EQ(3, edge.co2Lag.found);
    EXPECT_EQ(1, edge.co2Lag.used);
    EXPECT_TRUE(edge.co2Lag.usedDefault);
}

TEST(CorrectedFluxes, CorrectionsRaiseTheFluxesAndTheOrdersAgreeWithoutThem) {
    const auto block = TowerBlock({}, 12.0);
    FluxSettings settings = Settings();
    const CorrectedFluxes f = Corrected(*block, settings);
    EXPECT_GT(f.LEFactor, 1.02);
    EXPECT_GT(f.HFactor, 1.0);
    EXPECT_GT(f.LE, f.LEStd);
    EXPECT_GT(f.H, f.HStd);
    EXPECT_LT(f.FC, f.FCStd);  // uptake: more negative
    EXPECT_NEAR(f.ustarStd * std::sqrt(f.tauFactor), f.ustar, 1e-12);

    // Without spectral factors the corrected fluxes are the uncorrected ones,
    // and the other processor's order differs only in its humidity terms.
    settings.site.spectral = SpectralModel::None;
    const CorrectedFluxes plain = Corrected(*block, settings);
    EXPECT_DOUBLE_EQ(plain.HStd, plain.H);
    EXPECT_DOUBLE_EQ(plain.FCStd, plain.FC);
    settings.site.correctionOrder = CorrectionOrder::Peer;
    const CorrectedFluxes peer = Corrected(*block, settings);
    EXPECT_NEAR(plain.H, peer.H, 0.01 * plain.H);
    EXPECT_NEAR(plain.LE, peer.LE, 0.01 * plain.LE);
    EXPECT_NEAR(plain.FC, peer.FC, 0.02 * std::fabs(plain.FC));
    EXPECT_EQ(plain.tau, peer.tau);
}

TEST(CorrectedFluxes, StabilityFollowsTheHeatFlux) {
    const CorrectedFluxes day = Corrected(*TowerBlock({}, 12.0), Settings());
    EXPECT_LT(day.zL, 0.0);
    EXPECT_LT(day.zLSpectral, 0.0);
    EXPECT_LT(day.tstar, 0.0);
    EXPECT_NEAR(3.0 / day.obukhovLength, day.zL, 1e-12);
    TowerShape stable;
    stable.stable = true;
    const CorrectedFluxes night = Corrected(*TowerBlock(stable, 12.0), Settings());
    EXPECT_GT(night.zL, 0.0);
    EXPECT_GT(night.zLSpectral, 0.0);
    EXPECT_GT(night.tstar, 0.0);
    EXPECT_GT(night.LEFactor, day.LEFactor);
}

TEST(CorrectedFluxes, AStationaryHalfHourIsFlaggedZeroATrendedOneIsNot) {
    const CorrectedFluxes steady = Corrected(*TowerBlock({}, 12.0), Settings());
    EXPECT_EQ(0, steady.HFlag);
    EXPECT_EQ(0, steady.LEFlag);
    TowerShape trend;
    trend.trend = 0.6;
    const CorrectedFluxes trended = Corrected(*TowerBlock(trend, 12.0), Settings());
    EXPECT_GT(*trended.HSS, 30);
    EXPECT_NE(0, trended.HFlag);
    EXPECT_NE(0, trended.FCFlag);
}

TEST(CorrectedFluxes, BelowTheCoverageEveryFlagIsTwo) {
    const auto block = TowerBlock({}, 12.0, 16000);  // 89 % of 18000
    FluxSettings settings = Settings();
    const CorrectedFluxes short_ = Corrected(*block, settings);
    EXPECT_NEAR(100.0 * 16000 / 18000, short_.coverage, 1e-12);
    for (const int flag : {short_.tauFlag, short_.HFlag, short_.LEFlag, short_.FCFlag}) EXPECT_EQ(2, flag);
    settings.site.minCoverage = 80.0;
    EXPECT_EQ(0, Corrected(*block, settings).HFlag);
}

}  // namespace
}  // namespace kelvara
