// The time lag: the covariance over the pairs a lag leaves, and the lag
// whose covariance is largest, with the sign that says which series is late.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CorrectionsTestSupport.h"
#include "corrections/TimeLag.h"

namespace kelvara {
namespace {

using testing::Noise;
using testing::OwnedSeries;

// The covariance of a(i), b(i + lag) by its definition: the pairs where
// both hold a value, their own means, divided by their count.
double PairCovariance(const std::vector<double>& a, const std::vector<bool>& aGap, const std::vector<double>& b,
                      const std::vector<bool>& bGap, int lag) {
    std::vector<std::pair<double, double>> pairs;
    const int n = static_cast<int>(a.size());
    for (int i = 0; i < n; ++i) {
        const int j = i + lag;
        if (j < 0 || j >= n || aGap[static_cast<std::size_t>(i)] || bGap[static_cast<std::size_t>(j)]) continue;
        pairs.emplace_back(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(j)]);
    }
    double meanA = 0, meanB = 0;
    for (const auto& [x, y] : pairs) meanA += x, meanB += y;
    meanA /= static_cast<double>(pairs.size());
    meanB /= static_cast<double>(pairs.size());
    double sum = 0;
    for (const auto& [x, y] : pairs) sum += (x - meanA) * (y - meanB);
    return sum / static_cast<double>(pairs.size());
}

TEST(LaggedCovariance, UsesOnlyThePairsBothSeriesHoldWithTheirOwnMeans) {
    Noise noise(3);
    const int n = 400;
    std::vector<double> a = noise.Gauss(n), b = noise.Gauss(n);
    for (int i = 0; i < n; ++i) b[static_cast<std::size_t>(i)] += 0.5 * a[static_cast<std::size_t>((i + 7) % n)] + 20.0;
    const std::vector<int> aGaps = {0, 1, 57, 58, 200, 399}, bGaps = {3, 57, 60, 61, 205, 390, 398};
    std::vector<bool> aGap(n), bGap(n);
    for (const int g : aGaps) aGap[static_cast<std::size_t>(g)] = true;
    for (const int g : bGaps) bGap[static_cast<std::size_t>(g)] = true;
    const OwnedSeries sa(a, aGaps), sb(b, bGaps);
    for (int lag = -12; lag <= 12; ++lag) {
        const double expected = PairCovariance(a, aGap, b, bGap, lag);
        EXPECT_NEAR(expected, SignedLaggedCovariance(*sa, *sb, lag).covariance, 1e-13) << lag;
    }
    // A stretch alone (the steady-state test's sub-intervals), and many lags at once.
    const std::vector<double> aPart(a.begin() + 50, a.begin() + 250), bPart(b.begin() + 50, b.begin() + 250);
    const std::vector<bool> aGapPart(aGap.begin() + 50, aGap.begin() + 250),
        bGapPart(bGap.begin() + 50, bGap.begin() + 250);
    EXPECT_NEAR(PairCovariance(aPart, aGapPart, bPart, bGapPart, 0), RangeCovariance(*sa, *sb, 50, 250).covariance,
                1e-13);
    LaggedMoment many[70];
    LaggedCovariances(*sa, *sb, 3, 70, many);
    for (int k = 0; k < 70; ++k) EXPECT_EQ(LaggedCovariance(*sa, *sb, 3 + k).covariance, many[k].covariance);
    EXPECT_EQ(n - 1 - 6 - 7 + 1, LaggedCovariance(*sa, *sb, 1).pairs);  // 57 misses both at lag 0, not at 1
    EXPECT_EQ(n - 6 - 7 + 1, LaggedCovariance(*sa, *sb, 0).pairs);
    EXPECT_TRUE(std::isnan(LaggedCovariance(*sa, *sb, n).covariance));
    EXPECT_EQ(0, LaggedCovariance(*sa, *sb, n).pairs);
}

// Lags go eight side by side, the rest in smaller groups, and the groups
// shrink near the block's end: a lag must give the same bits in any of
// them, or the search and the random error would see two values of one lag.
TEST(LaggedCovariance, ALagGivesTheSameBitsHoweverItIsAsked) {
    Noise noise(5);
    const int n = 203;  // not a multiple of four
    std::vector<double> a = noise.Gauss(n), b = noise.Gauss(n);
    const std::vector<int> aGaps = {2, 100, 201}, bGaps = {0, 7, 150, 202};
    std::vector<bool> aGap(n), bGap(n);
    for (const int g : aGaps) aGap[static_cast<std::size_t>(g)] = true;
    for (const int g : bGaps) bGap[static_cast<std::size_t>(g)] = true;
    const OwnedSeries sa(a, aGaps), sb(b, bGaps);
    for (const int first : {0, 1, 5, 180, 190, 195, 199}) {
        for (int count = 1; count <= 13 && first + count <= n - 1; ++count) {
            LaggedMoment many[13];
            LaggedCovariances(*sa, *sb, first, count, many);
            for (int k = 0; k < count; ++k) {
                const int lag = first + k;
                EXPECT_EQ(LaggedCovariance(*sa, *sb, lag).covariance, many[k].covariance) << first << " " << count;
                EXPECT_NEAR(PairCovariance(a, aGap, b, bGap, lag), many[k].covariance, 1e-12) << lag;
            }
        }
    }
}

// w, red noise of a few records' memory, and a gas that follows it by delay
// records (it arrives late at the analyser).
struct LateGas {
    std::vector<double> w, gas;
    LateGas(int delay, int n = 3000) {
        Noise noise(11);
        double red = 0.0;
        for (int i = 0; i < n; ++i) {
            red = 0.8 * red + 0.6 * noise.Gauss();
            w.push_back(red);
        }
        gas.resize(w.size());
        for (int i = 0; i < n; ++i) {
            const int source = i - delay;
            const double driver = source >= 0 && source < n ? w[static_cast<std::size_t>(source)] : 0.0;
            gas[static_cast<std::size_t>(i)] = 700.0 - 0.8 * driver + 0.6 * noise.Gauss();
        }
    }
};

TEST(TimeLag, FindsAPlantedLagWithItsSign) {
    const LagWindow wide{-10, 10, 1};
    for (const int delay : {4, -3, 0}) {
        const LateGas data(delay);
        const OwnedSeries w(data.w, {5, 6, 100}), gas(data.gas, {100, 2000});
        const LagChoice choice = ChooseLag(*w, *gas, wide, LagMethod::MaxCovDefault);
        EXPECT_EQ(delay, choice.found);
        EXPECT_EQ(delay, choice.used);
        EXPECT_FALSE(choice.usedDefault);
    }
}

TEST(TimeLag, OnTheWindowsEdgeTheDefaultIsUsed) {
    const LateGas data(4);
    const OwnedSeries w(data.w), gas(data.gas);
    const LagWindow edge{-10, 4, 1};
    const LagChoice fallback = ChooseLag(*w, *gas, edge, LagMethod::MaxCovDefault);
    EXPECT_EQ(4, fallback.found);
    EXPECT_EQ(1, fallback.used);
    EXPECT_TRUE(fallback.usedDefault);
    // Beyond the window the largest covariance inside it is on the edge too.
    const LagChoice shortWindow = ChooseLag(*w, *gas, LagWindow{-2, 2, -1}, LagMethod::MaxCovDefault);
    EXPECT_EQ(2, shortWindow.found);
    EXPECT_EQ(-1, shortWindow.used);

    const LagChoice plain = ChooseLag(*w, *gas, edge, LagMethod::MaxCov);
    EXPECT_EQ(4, plain.used);
    EXPECT_FALSE(plain.usedDefault);
    const LagChoice constant = ChooseLag(*w, *gas, edge, LagMethod::Constant);
    EXPECT_EQ(1, constant.used);
    EXPECT_EQ(1, constant.found);
    EXPECT_TRUE(constant.usedDefault);
    const LagChoice none = ChooseLag(*w, *gas, edge, LagMethod::None);
    EXPECT_EQ(0, none.used);
    EXPECT_FALSE(none.usedDefault);
    const LagChoice closed = ChooseLag(*w, *gas, LagWindow{0, 0, 3}, LagMethod::MaxCovDefault);
    EXPECT_EQ(0, closed.used);
    EXPECT_FALSE(closed.usedDefault);
}

TEST(TimeLag, WindowsInRecordsRoundHalvesAwayFromZero) {
    EXPECT_EQ(3, LagRecords(0.25, 10.0));
    EXPECT_EQ(-3, LagRecords(-0.25, 10.0));
    EXPECT_EQ(6, LagRecords(0.3, 20.0));
    EXPECT_EQ(1000000000, LagRecords(1e30, 10.0));

    SiteSettings site;
    site.sepNorth = 0.3, site.sepEast = 0.4;  // 0.5 m: auto is +-1.3 s
    site.co2Default = 0.2;
    site.h2oMin = -0.5;
    const LagWindow co2 = ResolveLagWindow(site, Gas::CO2, 10.0);
    EXPECT_EQ(-13, co2.min);
    EXPECT_EQ(13, co2.max);
    EXPECT_EQ(2, co2.fallback);
    const LagWindow h2o = ResolveLagWindow(site, Gas::H2O, 20.0);
    EXPECT_EQ(-10, h2o.min);
    EXPECT_EQ(26, h2o.max);
}

}  // namespace
}  // namespace kelvara
