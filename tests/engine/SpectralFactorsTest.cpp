// The spectral factors: what removing the half hour's mean alone loses, and
// how the instruments add to it.

#include <gtest/gtest.h>

#include <cmath>

#include "corrections/SpectralFactors.h"

namespace kelvara {
namespace {

// Instruments that lose nothing: only the block average remains.
SiteSettings IdealInstruments() {
    SiteSettings site;
    site.measurementHeight = 3.0;
    site.sonicPathLength = site.sonicTimeConstant = 0.0;
    site.irgaPathLength = site.irgaTimeConstant = 0.0;
    return site;
}

// Kaimal's unstable scalar cospectrum, restated here: f Co / n's shape.
double Scalar(double n, double f) {
    return f < 0.54 ? 12.92 * f / (n * std::pow(1.0 + 26.7 * f, 1.375))
                    : 4.378 * f / (n * std::pow(1.0 + 3.8 * f, 2.4));
}

// 1 / CF of the block average applied `times` times, summed here over the
// same frequencies.
double LostShare(double speed, double height, int times) {
    double all = 0.0, kept = 0.0;
    for (int k = 1; k < kSpectralPoints; ++k) {
        const double n = SpectralFrequency(k);
        if (n <= 1.0 / 5000.0) continue;
        const double width = SpectralFrequency(k + 1) - n;
        const double co = Scalar(n, n * height / speed);
        all += co * width;
        kept += std::pow(BlockAverageTransfer(n), times) * co * width;
    }
    return kept / all;
}

TEST(SpectralFactors, TheFrequencyGridRunsFromTwoHoursToTenHertz) {
    EXPECT_DOUBLE_EQ(1.0 / 7200.0, SpectralFrequency(1));
    EXPECT_NEAR(10.0, SpectralFrequency(500), 1e-12);
    EXPECT_NEAR(std::exp(std::log(1.0 / 7200.0) + std::log(72000.0) * 250 / 500), SpectralFrequency(250), 1e-15);
    EXPECT_NEAR(1.0, BlockAverageTransfer(1.0), 1e-6);  // many cycles per half hour
    EXPECT_LT(BlockAverageTransfer(1.0 / 3600.0), 0.6);
}

TEST(SpectralFactors, IdealInstrumentsLeaveTheBlockAverageAppliedOnce) {
    SiteSettings site = IdealInstruments();
    const SpectralFactors once = ComputeSpectralFactors(site, 2.0, std::nan(""));
    EXPECT_NEAR(1.0 / LostShare(2.0, 3.0, 1), once.heat, 1e-12);
    EXPECT_EQ(once.heat, once.gas);  // the same cospectrum, the same loss
    EXPECT_GT(once.tau, 1.0);

    site.hpTransfer = HighPassTransfer::Product;
    const SpectralFactors twice = ComputeSpectralFactors(site, 2.0, std::nan(""));
    EXPECT_NEAR(1.0 / LostShare(2.0, 3.0, 2), twice.heat, 1e-12);
    EXPECT_GT(twice.heat, once.heat);
}

TEST(SpectralFactors, InstrumentsGoingToZeroLeaveTheBlockAverage) {
    const double blockOnly = ComputeSpectralFactors(IdealInstruments(), 1.5, -0.3).gas;
    double previous = 0.0;
    for (const double scale : {1.0, 0.1, 0.01, 0.001}) {
        SiteSettings site = IdealInstruments();
        site.sonicPathLength = 0.115 * scale, site.sonicTimeConstant = 0.05 * scale;
        site.irgaPathLength = 0.127 * scale, site.irgaTimeConstant = 0.1 * scale;
        site.sepNorth = 0.2 * scale, site.sepEast = 0.1 * scale, site.sepVertical = 0.1 * scale;
        const double factor = ComputeSpectralFactors(site, 1.5, -0.3).gas;
        EXPECT_GT(factor, blockOnly);
        if (previous != 0.0) {
            EXPECT_LT(factor - blockOnly, 0.2 * (previous - blockOnly));
        }
        previous = factor;
    }
    EXPECT_NEAR(blockOnly, previous, 1e-4 * blockOnly);
}

TEST(SpectralFactors, SeparationStabilityAndTheSwitches) {
    SiteSettings site;
    site.measurementHeight = 3.0;
    const SpectralFactors near = ComputeSpectralFactors(site, 2.0, -0.5);
    site.sepEast = 0.2;
    const SpectralFactors apart = ComputeSpectralFactors(site, 2.0, -0.5);
    EXPECT_GT(apart.gas, near.gas);
    EXPECT_EQ(apart.heat, near.heat);  // the sonic's own fluxes know no separation
    // Stable air moves the cospectra to higher frequencies, where the
    // instruments lose more.
    EXPECT_GT(ComputeSpectralFactors(site, 2.0, 0.5).gas, apart.gas);

    EXPECT_TRUE(std::isnan(ComputeSpectralFactors(site, 0.0, -0.5).gas));
    site.spectral = SpectralModel::None;
    const SpectralFactors none = ComputeSpectralFactors(site, 0.0, -0.5);
    EXPECT_EQ(1.0, none.tau);
    EXPECT_EQ(1.0, none.heat);
    EXPECT_EQ(1.0, none.gas);
}

}  // namespace
}  // namespace kelvara
