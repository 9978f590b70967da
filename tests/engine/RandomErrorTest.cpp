// The random error of a covariance: for white noise the lagged terms vanish
// and it is sqrt((var w var x + cov^2) / N).

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CorrectionsTestSupport.h"
#include "corrections/RandomError.h"

namespace kelvara {
namespace {

using testing::Noise;
using testing::OwnedSeries;

double RandomErrorOf(const OwnedSeries& w, const OwnedSeries& x, const RandomErrorSettings& settings) {
    std::vector<double> cache(static_cast<std::size_t>(w->count)), scratch(cache.size());
    LagCache ww{cache.data()};
    return CovarianceRandomError(*w, *x, settings, ww, scratch.data());
}

TEST(RandomError, OfWhiteNoiseIsTheVarianceOfAProductOverN) {
    const int n = 18000;
    Noise noise(9);
    std::vector<double> w = noise.Gauss(n), x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] = 0.6 * w[static_cast<std::size_t>(i)] + 2.0 * noise.Gauss();
    const OwnedSeries sw(w), sx(x);
    const double varW = LaggedCovariance(*sw, *sw, 0).covariance;
    const double varX = LaggedCovariance(*sx, *sx, 0).covariance;
    const double cov = LaggedCovariance(*sw, *sx, 0).covariance;
    const double expected = std::sqrt((varW * varX + cov * cov) / n);
    const double error = RandomErrorOf(sw, sx, {10.0, 10.0, 2.0, 3.0});
    EXPECT_NEAR(expected, error, 0.03 * expected);
}

TEST(RandomError, CorrelatedNoiseHasALargerErrorThanWhite) {
    const int n = 18000;
    Noise noise(10);
    std::vector<double> w(static_cast<std::size_t>(n)), x(w.size());
    double red = 0.0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        red = 0.9 * red + std::sqrt(1.0 - 0.81) * noise.Gauss();  // about 1 s at 10 Hz
        w[i] = red;
        x[i] = 0.6 * red + 0.8 * noise.Gauss();
    }
    const OwnedSeries sw(w), sx(x);
    const double varW = LaggedCovariance(*sw, *sw, 0).covariance;
    const double varX = LaggedCovariance(*sx, *sx, 0).covariance;
    const double cov = LaggedCovariance(*sw, *sx, 0).covariance;
    const double white = std::sqrt((varW * varX + cov * cov) / n);
    EXPECT_GT(RandomErrorOf(sw, sx, {10.0, 10.0, 2.0, 3.0}), 2.0 * white);
}

TEST(RandomError, WithoutACovarianceTheTimeScaleFallsBackOnTheMeanWind) {
    // x constant: no covariance, and nothing to be uncertain about.
    const std::vector<double> w = Noise(12).Gauss(1000), x(1000, 5.0);
    const OwnedSeries sw(w), sx(x);
    EXPECT_EQ(0.0, RandomErrorOf(sw, sx, {10.0, 10.0, 2.0, 3.0}));
    EXPECT_TRUE(std::isnan(RandomErrorOf(sw, sx, {10.0, 10.0, 2.0, 0.0})));  // the fallback needs u > 0
}

}  // namespace
}  // namespace kelvara
