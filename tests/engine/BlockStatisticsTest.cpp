// Despike, air properties, means and fluxes, to the bit: every stored value
// is a float, arithmetic is double, running sums are rounded at each step.
// The expectations below are written out in that precision independently.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "BlockPipeline.h"
#include "BlockStatistics.h"
#include "EngineTestSupport.h"
#include "Rotation.h"

namespace kelvara {
namespace {

using testing::Noise;

std::unique_ptr<BlockBuffer> NewBlock() { return std::make_unique<BlockBuffer>(); }

// U, V, W, CO2, H2O, Ts, P of a calm, plausible record.
constexpr float kCalm[kVariableCount] = {3.0f, 0.5f, 0.1f, 700.0f, 10.0f, 20.0f, 98.0f};

void FillConstant(BlockBuffer& block, int n, const float (&values)[kVariableCount] = kCalm) {
    for (int v = 0; v < kVariableCount; ++v)
        for (int i = 0; i < n; ++i) block.sample[v][i] = values[v];
    block.count = n;
}

// Uniform noise never reaches six standard deviations, so nothing is a spike.
void FillNoisy(BlockBuffer& block, int n, std::uint32_t seed) {
    Noise noise(seed);
    const float spread[kVariableCount] = {0.8f, 0.6f, 0.3f, 5.0f, 0.7f, 0.9f, 0.05f};
    for (int i = 0; i < n; ++i) {
        double w = noise.Next();
        for (int v = 0; v < kVariableCount; ++v) {
            double shared = (v == kU || v == kCO2) ? -w : (v == kW ? 0.0 : w);
            block.sample[v][i] = static_cast<float>(kCalm[v] + spread[v] * (0.5 * shared + noise.Next()));
        }
    }
    block.count = n;
}

float FloatMean(const std::vector<float>& values) {
    float sum = 0.0f;
    for (float x : values) sum = static_cast<float>(static_cast<double>(sum) + x);
    return static_cast<float>(static_cast<double>(sum) / static_cast<double>(values.size()));
}

std::vector<float> Column(const float* column, int n, const std::vector<bool>& keep = {}) {
    std::vector<float> values;
    for (int i = 0; i < n; ++i)
        if (keep.empty() || keep[static_cast<std::size_t>(i)]) values.push_back(column[i]);
    return values;
}

std::vector<bool> GoodRecords(const BlockBuffer& block, int n) {
    std::vector<bool> good(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        bool all = true;
        for (int v = 0; v < kVariableCount; ++v) all = all && block.flag[v][i] == 1;
        good[static_cast<std::size_t>(i)] = all;
    }
    return good;
}

// ---------------------------------------------------------------- Despike

// Despike written out from the screening rules, in their stated precision.
void DespikeByHand(BlockBuffer& block, int n, const RangeLimits& limits) {
    const float* bounds = &limits.U_Min;
    for (int v = 0; v < kVariableCount; ++v) {
        float* x = block.sample[v];
        float sum = 0.0f;
        int count = 0;
        for (int i = 0; i < n; ++i) {
            if (bounds[2 * v] < x[i] && x[i] < bounds[2 * v + 1]) {
                sum = static_cast<float>(static_cast<double>(sum) + x[i]);
                ++count;
            }
        }
        float m1 = static_cast<float>(static_cast<double>(sum) / count);
        float squares = 0.0f;
        for (int i = 0; i < n; ++i) {
            if (bounds[2 * v] < x[i] && x[i] < bounds[2 * v + 1]) {
                double d = static_cast<double>(x[i]) - m1;
                squares = static_cast<float>(squares + d * d);
            }
        }
        float th = static_cast<float>(6.0 * std::sqrt(static_cast<double>(squares) / count));
        float sum2 = 0.0f;
        int count2 = 0;
        for (int i = 0; i < n; ++i) {
            if (static_cast<double>(m1) - th <= x[i] && x[i] <= static_cast<double>(m1) + th) {
                sum2 = static_cast<float>(static_cast<double>(sum2) + x[i]);
                ++count2;
                block.flag[v][i] = 1;
            } else {
                block.flag[v][i] = 0;
            }
        }
        float m2 = static_cast<float>(static_cast<double>(sum2) / count2);
        for (int i = 0; i < n; ++i) {
            if (x[i] > static_cast<double>(m2) + th || x[i] < static_cast<double>(m2) - th) x[i] = m2;
        }
    }
}

TEST(Despike, LoneSpikeAmongEqualSamplesIsReplaced) {
    auto block = NewBlock();
    FillConstant(*block, 1000);
    for (int i = 0; i < 1000; ++i) block->U()[i] = 1.0f;
    block->U()[500] = 100.0f;
    ASSERT_TRUE(Despike(*block, 1000, DefaultRangeLimits()));
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(i == 500 ? 0 : 1, block->flag[kU][i]) << i;
        EXPECT_SAME_FLOAT(1.0f, block->U()[i]);
        for (int v = kV; v < kVariableCount; ++v) ASSERT_EQ(1, block->flag[v][i]);
    }
    EXPECT_EQ(999, CountGoodRecords(*block, 1000));
}

TEST(Despike, RejectsBlockWithAVariableOutsideItsRangeAndChangesNothing) {
    const RangeLimits limits = DefaultRangeLimits();
    const float* bounds = &limits.U_Min;
    for (int v = 0; v < kVariableCount; ++v) {
        for (int side = 0; side < 2; ++side) {
            auto block = NewBlock();
            FillNoisy(*block, 50, 3);
            for (int i = 0; i < 50; ++i) block->sample[v][i] = bounds[2 * v + side];
            for (int u = 0; u < kVariableCount; ++u)
                for (int i = 0; i < 50; ++i) block->flag[u][i] = 7;
            auto before = NewBlock();
            std::memcpy(before.get(), block.get(), sizeof(BlockBuffer));
            EXPECT_FALSE(Despike(*block, 50, limits)) << "variable " << v;
            EXPECT_EQ(0, std::memcmp(before->sample, block->sample, sizeof block->sample));
            EXPECT_EQ(0, std::memcmp(before->flag, block->flag, sizeof block->flag));
        }
    }
    // A minimum above its maximum leaves nothing in range.
    RangeLimits swapped = limits;
    swapped.H2O_Min = 100.0f;
    swapped.H2O_Max = -20.0f;
    auto block = NewBlock();
    FillNoisy(*block, 50, 4);
    EXPECT_FALSE(Despike(*block, 50, swapped));
}

TEST(Despike, SampleOnALimitIsLeftOutOfTheScreening) {
    // Counted, the 50 would widen the band enough to keep itself.
    auto block = NewBlock();
    FillConstant(*block, 5);
    const float u[5] = {1, 1, 50, 1, 1};
    std::copy(u, u + 5, block->U());
    ASSERT_TRUE(Despike(*block, 5, DefaultRangeLimits()));
    EXPECT_EQ(0, block->flag[kU][2]);
    EXPECT_SAME_FLOAT(1.0f, block->U()[2]);

    block->U()[2] = -50.0f;
    ASSERT_TRUE(Despike(*block, 5, DefaultRangeLimits()));
    EXPECT_EQ(0, block->flag[kU][2]);
    EXPECT_SAME_FLOAT(1.0f, block->U()[2]);
}

TEST(Despike, OutOfRangeSampleInsideTheBandKeepsFlagAndValue) {
    RangeLimits limits = DefaultRangeLimits();
    limits.U_Min = 0.0f;
    limits.U_Max = 10.0f;
    auto block = NewBlock();
    FillConstant(*block, 8);
    // In range: mean 1.5, threshold 6 x 0.5 = 3, so the band is [-1.5, 4.5].
    const float u[8] = {1, 2, 1, 2, 0, 1, 2, 10.5f};
    std::copy(u, u + 8, block->U());
    ASSERT_TRUE(Despike(*block, 8, limits));
    EXPECT_EQ(1, block->flag[kU][4]);
    EXPECT_SAME_FLOAT(0.0f, block->U()[4]);
    EXPECT_EQ(0, block->flag[kU][7]);
    EXPECT_SAME_FLOAT(static_cast<float>(9.0 / 7.0), block->U()[7]);  // second mean of the in-band seven
    EXPECT_EQ(7, CountGoodRecords(*block, 8));
}

TEST(Despike, SecondMeanMovesTheReplacementBand) {
    // The spike at 40 sets the first mean but not the second, so the band
    // moves down: 7.9 is inside the first band and outside the second, -7.86
    // the other way round.
    auto block = NewBlock();
    FillConstant(*block, 1000);
    for (int i = 0; i < 1000; ++i) block->U()[i] = 0.0f;
    block->U()[0] = 40.0f;
    block->U()[1] = 7.9f;
    block->U()[2] = -7.86f;
    ASSERT_TRUE(Despike(*block, 1000, DefaultRangeLimits()));
    const float m2 = static_cast<float>(static_cast<double>(7.9f) / 998.0);
    EXPECT_EQ(0, block->flag[kU][0]);
    EXPECT_SAME_FLOAT(m2, block->U()[0]);
    EXPECT_EQ(1, block->flag[kU][1]);
    EXPECT_SAME_FLOAT(m2, block->U()[1]);
    EXPECT_EQ(0, block->flag[kU][2]);
    EXPECT_SAME_FLOAT(-7.86f, block->U()[2]);
    EXPECT_EQ(1, block->flag[kU][3]);
    EXPECT_SAME_FLOAT(0.0f, block->U()[3]);
}

TEST(Despike, EqualSamplesKeepEverySample) {
    // 0.1 does not sum exactly, so the mean is off by a rounding and the
    // threshold is tiny but the band still holds every sample.
    auto block = NewBlock();
    const float values[kVariableCount] = {0.1f, -0.3f, 0.7f, 700.3f, 9.9f, 20.1f, 98.7f};
    FillConstant(*block, 18000, values);
    ASSERT_TRUE(Despike(*block, 18000, DefaultRangeLimits()));
    EXPECT_EQ(18000, CountGoodRecords(*block, 18000));
    for (int v = 0; v < kVariableCount; ++v)
        for (int i = 0; i < 18000; i += 997) EXPECT_SAME_FLOAT(values[v], block->sample[v][i]);
}

TEST(Despike, SpikeClearsOnlyItsOwnVariableFlag) {
    auto block = NewBlock();
    FillNoisy(*block, 60, 9);
    block->sample[kH2O][7] = 90.0f;
    for (int v = 0; v < kVariableCount; ++v)
        for (int i = 0; i < 60; ++i) block->flag[v][i] = 0;  // stale flags are rewritten
    ASSERT_TRUE(Despike(*block, 60, DefaultRangeLimits()));
    for (int v = 0; v < kVariableCount; ++v) EXPECT_EQ(v == kH2O ? 0 : 1, block->flag[v][7]);
    EXPECT_EQ(59, CountGoodRecords(*block, 60));

    ComputeAirProperties(*block, 60);
    ComputeMeans(*block, 60);
    std::vector<bool> keep(60, true);
    keep[7] = false;
    EXPECT_SAME_FLOAT(FloatMean(Column(block->U(), 60, keep)), block->mean[kU]);
    EXPECT_SAME_FLOAT(FloatMean(Column(block->sample[kH2O], 60, keep)), block->mean[kH2O]);
}

TEST(Despike, NaNSampleLosesItsFlagAndLeavesTheStatistics) {
    auto block = NewBlock();
    FillNoisy(*block, 40, 11);
    block->sample[kCO2][3] = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(Despike(*block, 40, DefaultRangeLimits()));
    EXPECT_EQ(0, block->flag[kCO2][3]);
    EXPECT_EQ(39, CountGoodRecords(*block, 40));
    ComputeAirProperties(*block, 40);
    ComputeMeans(*block, 40);
    RotateTwoAxis(*block, 40);
    ComputeMeans(*block, 40);
    FluxResult result = ComputeFluxes(*block, 40);
    EXPECT_TRUE(std::isfinite(result.ave_CO2));
    EXPECT_TRUE(std::isfinite(result.Fc_leuning));
    EXPECT_EQ(39, result.Records);
}

TEST(Despike, MatchesTheRulesOnNoisyBlocksWithSpikes) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        auto block = NewBlock();
        int n = seed == 6 ? 18000 : 500 + 700 * static_cast<int>(seed);
        FillNoisy(*block, n, seed);
        Noise where(seed + 100);
        for (int k = 0; k < n / 50; ++k) {
            int i = static_cast<int>((where.Next() + 1.0) * 0.5 * n) % n;
            int v = static_cast<int>((where.Next() + 1.0) * 3.5) % kVariableCount;
            block->sample[v][i] += static_cast<float>(k % 3 == 0 ? 500.0 : 8.0 * where.Next());
        }
        auto expected = NewBlock();
        std::memcpy(expected.get(), block.get(), sizeof(BlockBuffer));
        DespikeByHand(*expected, n, DefaultRangeLimits());
        ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
        for (int v = 0; v < kVariableCount; ++v) {
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(expected->flag[v][i], block->flag[v][i]) << "seed " << seed << " var " << v << " rec " << i;
                ASSERT_EQ(testing::Bits(expected->sample[v][i]), testing::Bits(block->sample[v][i]))
                    << "seed " << seed << " var " << v << " rec " << i;
            }
        }
    }
}

TEST(Despike, ThresholdComesFromASinglePrecisionSumOfSquares) {
    // Find a block whose threshold differs between a float and a double sum
    // of squares, then put an out-of-range sample (it moves neither mean nor
    // threshold) between the two band edges: only the float reading keeps it.
    Noise noise(77);
    for (int attempt = 0; attempt < 2000; ++attempt) {
        const int n = 200;
        std::vector<float> u(n);
        float sum = 0.0f;
        for (float& x : u) {
            x = static_cast<float>(3.0 + 0.8 * noise.Next());
            sum = static_cast<float>(static_cast<double>(sum) + x);
        }
        const float m1 = static_cast<float>(static_cast<double>(sum) / n);
        float squaresFloat = 0.0f;
        double squaresDouble = 0.0;
        for (float x : u) {
            double d = static_cast<double>(x) - m1;
            squaresFloat = static_cast<float>(squaresFloat + d * d);
            squaresDouble += d * d;
        }
        const float thFloat = static_cast<float>(6.0 * std::sqrt(static_cast<double>(squaresFloat) / n));
        const float thDouble = static_cast<float>(6.0 * std::sqrt(squaresDouble / n));
        const double edgeFloat = static_cast<double>(m1) + thFloat, edgeDouble = static_cast<double>(m1) + thDouble;
        const double high = std::max(edgeFloat, edgeDouble), low = std::min(edgeFloat, edgeDouble);
        float x = static_cast<float>(high);
        if (x > high) x = std::nextafter(x, 0.0f);
        if (!(x > low)) continue;

        auto block = NewBlock();
        FillConstant(*block, n + 1);
        std::copy(u.begin(), u.end(), block->U());
        block->U()[n] = x;
        RangeLimits limits = DefaultRangeLimits();
        limits.U_Max = (*std::max_element(u.begin(), u.end()) + x) / 2.0f;
        ASSERT_TRUE(Despike(*block, n + 1, limits));
        EXPECT_EQ(x <= edgeFloat ? 1 : 0, block->flag[kU][n]) << "attempt " << attempt;
        return;
    }
    FAIL() << "no block told the two sums of squares apart";
}

TEST(CountGoodRecords, NoRecordKeepsAllSevenFlags) {
    // Out-of-range samples outside a zero-wide band lose their flag; U and V
    // lose them on complementary records, so no record stays good.
    auto block = NewBlock();
    FillConstant(*block, 10);
    for (int i = 0; i < 10; ++i) {
        block->U()[i] = i < 5 ? 1.0f : 100.0f;
        block->V()[i] = i < 5 ? 100.0f : 1.0f;
    }
    ASSERT_TRUE(Despike(*block, 10, DefaultRangeLimits()));
    EXPECT_EQ(0, CountGoodRecords(*block, 10));

    FillConstant(*block, 10);
    for (int i = 0; i < 10; ++i) {
        block->U()[i] = i < 5 ? 1.0f : 100.0f;
        block->V()[i] = i < 5 ? 100.0f : 1.0f;
    }
    FluxResult result{};
    EXPECT_EQ(BlockOutcome::Rejected, ProcessBlock(*block, 10, DefaultRangeLimits(), RotationSettings{}, result));
}

// ------------------------------------------------------- Air properties

struct AirValues {
    float Tk, a, n_a, r, Tc, chi_v, e, rho_d, rho;
};

AirValues AirByHand(float ts, float h2o, float p) {
    AirValues x;
    const double Ts = ts, H2O = h2o, P = p;
    x.Tk = static_cast<float>(Ts + 273.16);
    x.a = static_cast<float>(H2O / 0.018);
    x.n_a = static_cast<float>(P / (static_cast<double>(x.Tk) * 0.0083143));
    x.r = static_cast<float>((static_cast<double>(x.a) / 1000.0) /
                             (static_cast<double>(x.n_a) - static_cast<double>(x.a) / 1000.0));
    x.Tc = static_cast<float>(x.Tk / (static_cast<double>(x.r) * 0.32 + 1.0));
    x.chi_v = static_cast<float>(static_cast<double>(x.Tc) * 0.0083143 * H2O / (P * 18.0));
    x.e = static_cast<float>(H2O * 0.0083143 * static_cast<double>(x.Tk) / 18.0);
    x.rho_d = static_cast<float>((P - static_cast<double>(x.e)) / (static_cast<double>(x.Tk) * 0.28704));
    x.rho = static_cast<float>(static_cast<double>(x.rho_d) + H2O / 1000.0);
    return x;
}

TEST(ComputeAirProperties, WorkedExampleOfTwentyDegreesTenGramsHundredKilopascal) {
    auto block = NewBlock();
    const float values[kVariableCount] = {3.0f, 0.5f, 0.1f, 700.0f, 10.0f, 20.0f, 100.0f};
    const int n = 7;
    FillConstant(*block, n, values);
    ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
    ComputeAirProperties(*block, n);

    AirValues x = AirByHand(20.0f, 10.0f, 100.0f);
    for (int i = 0; i < n; ++i) EXPECT_SAME_FLOAT(x.Tc, block->Tc[i]);
    EXPECT_SAME_FLOAT(FloatMean(std::vector<float>(n, x.n_a)), block->m_n_a);
    EXPECT_SAME_FLOAT(FloatMean(std::vector<float>(n, x.chi_v)), block->m_chi_v);
    EXPECT_SAME_FLOAT(FloatMean(std::vector<float>(n, x.rho_d)), block->m_rho_d);
    EXPECT_SAME_FLOAT(FloatMean(std::vector<float>(n, x.rho)), block->m_rho);

    // Plausibility of the same numbers, independent of the precision rules.
    EXPECT_LT(block->Tc[0], 293.16f);
    EXPECT_GT(block->Tc[0], 291.0f);
    EXPECT_NEAR(0.01, block->m_rho - block->m_rho_d, 1e-6);
    EXPECT_NEAR(100.0 / (293.16 * 0.0083143), block->m_n_a, 1e-3);

    ComputeMeans(*block, n);
    EXPECT_SAME_FLOAT(FloatMean(std::vector<float>(n, x.Tc)), block->meanTc);
}

TEST(ComputeAirProperties, SumsRunOverGoodRecordsOnly) {
    auto block = NewBlock();
    const int n = 300;
    FillNoisy(*block, n, 21);
    block->sample[kCO2][17] = 1400.0f;  // a spike: record 17 is not good
    for (int i = 0; i < n; ++i) block->Tc[i] = -1.0f;
    ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
    ASSERT_EQ(0, block->flag[kCO2][17]);
    ComputeAirProperties(*block, n);

    float sums[4] = {0, 0, 0, 0};
    int good = 0;
    for (int i = 0; i < n; ++i) {
        if (i == 17) continue;
        AirValues x = AirByHand(block->sample[kTs][i], block->sample[kH2O][i], block->sample[kP][i]);
        ASSERT_EQ(testing::Bits(x.Tc), testing::Bits(block->Tc[i])) << "record " << i;
        const float parts[4] = {x.n_a, x.chi_v, x.rho_d, x.rho};
        for (int k = 0; k < 4; ++k) sums[k] = static_cast<float>(static_cast<double>(sums[k]) + parts[k]);
        ++good;
    }
    EXPECT_SAME_FLOAT(-1.0f, block->Tc[17]);
    EXPECT_SAME_FLOAT(static_cast<float>(static_cast<double>(sums[0]) / good), block->m_n_a);
    EXPECT_SAME_FLOAT(static_cast<float>(static_cast<double>(sums[1]) / good), block->m_chi_v);
    EXPECT_SAME_FLOAT(static_cast<float>(static_cast<double>(sums[2]) / good), block->m_rho_d);
    EXPECT_SAME_FLOAT(static_cast<float>(static_cast<double>(sums[3]) / good), block->m_rho);
}

// ------------------------------------------------------------------ Means

TEST(ComputeMeans, SumsAreSinglePrecisionRunningSumsInIndexOrder) {
    auto block = NewBlock();
    const int n = 18000;
    FillNoisy(*block, n, 5);
    ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
    ASSERT_EQ(n, CountGoodRecords(*block, n));
    ComputeAirProperties(*block, n);
    ComputeMeans(*block, n);

    std::vector<float> co2 = Column(block->sample[kCO2], n);
    double exact = 0.0;
    for (float x : co2) exact += x;
    ASSERT_NE(testing::Bits(static_cast<float>(exact / n)), testing::Bits(FloatMean(co2)))
        << "this block no longer tells a float sum from a double sum";
    for (int v = 0; v < kVariableCount; ++v) {
        EXPECT_SAME_FLOAT(FloatMean(Column(block->sample[v], n)), block->mean[v]) << "variable " << v;
    }
    EXPECT_SAME_FLOAT(FloatMean(Column(block->Tc, n)), block->meanTc);
}

// ----------------------------------------------------------------- Fluxes

FluxResult FluxesByHand(const BlockBuffer& b, int n) {
    std::vector<bool> good = GoodRecords(b, n);
    float svw = 0, swt = 0, suw = 0, swc = 0, swq = 0;
    int count = 0;
    auto add = [](float& sum, double product) { sum = static_cast<float>(static_cast<double>(sum) + product); };
    for (int i = 0; i < n; ++i) {
        if (!good[static_cast<std::size_t>(i)]) continue;
        double du = static_cast<double>(b.U()[i]) - b.mean[kU];
        double dv = static_cast<double>(b.V()[i]) - b.mean[kV];
        double dw = static_cast<double>(b.W()[i]) - b.mean[kW];
        double dc = static_cast<double>(b.sample[kCO2][i]) - b.mean[kCO2];
        double dq = static_cast<double>(b.sample[kH2O][i]) - b.mean[kH2O];
        double dt = static_cast<double>(b.Tc[i]) - b.meanTc;
        add(svw, dv * dw);
        add(swt, dw * dt);
        add(suw, du * dw);
        add(swc, dw * dc);
        add(swq, dw * dq);
        ++count;
    }
    auto cov = [count](float sum) { return static_cast<float>(static_cast<double>(sum) / count); };
    const double vw = cov(svw), wt = cov(swt), uw = cov(suw), wc = cov(swc), wq = cov(swq);
    const double cp = 1004.67f, one = 1.0f, thousand = 1000.0f, fortyFour = 44.0f;
    const double mCO2 = b.mean[kCO2], mH2O = b.mean[kH2O], mTc = b.meanTc;
    FluxResult r{};
    double s = std::sqrt(uw * uw + vw * vw);
    r.ustar = static_cast<float>(std::sqrt(s));
    r.tau = static_cast<float>(static_cast<double>(static_cast<float>(s)) * b.m_rho);
    float L = static_cast<float>(wq * static_cast<double>(2440.0f));
    r.Hs = static_cast<float>(wt * b.m_rho * cp);
    r.LE_leuning = static_cast<float>((one + b.m_chi_v) * (wt * mH2O / mTc + L));
    r.co2wplLE = static_cast<float>(r.LE_leuning * mCO2 / (b.m_n_a * mTc * cp) * thousand / fortyFour);
    r.co2wplH = static_cast<float>(r.Hs * mCO2 / (cp * b.m_rho_d * mTc) * thousand / fortyFour);
    r.Fc_leuning = static_cast<float>(wc * 1000.0 / 44.0 + r.co2wplLE + r.co2wplH);
    r.ave_CO2 = b.mean[kCO2];
    r.ave_H2O = b.mean[kH2O];
    r.ave_P = b.mean[kP];
    r.ave_Ts = b.mean[kTs];
    r.ave_Tc = static_cast<float>(mTc - 273.16);
    r.ave_U = b.mean[kU];
    r.ave_V = b.mean[kV];
    r.ave_W = b.mean[kW];
    r.Records = count;
    return r;
}

void ExpectSameResult(const FluxResult& expected, const FluxResult& actual) {
    EXPECT_SAME_FLOAT(expected.ustar, actual.ustar);
    EXPECT_SAME_FLOAT(expected.tau, actual.tau);
    EXPECT_SAME_FLOAT(expected.ave_CO2, actual.ave_CO2);
    EXPECT_SAME_FLOAT(expected.ave_H2O, actual.ave_H2O);
    EXPECT_SAME_FLOAT(expected.ave_P, actual.ave_P);
    EXPECT_SAME_FLOAT(expected.ave_Ts, actual.ave_Ts);
    EXPECT_SAME_FLOAT(expected.ave_Tc, actual.ave_Tc);
    EXPECT_SAME_FLOAT(expected.ave_U, actual.ave_U);
    EXPECT_SAME_FLOAT(expected.ave_V, actual.ave_V);
    EXPECT_SAME_FLOAT(expected.ave_W, actual.ave_W);
    EXPECT_SAME_FLOAT(expected.Hs, actual.Hs);
    EXPECT_SAME_FLOAT(expected.co2wplLE, actual.co2wplLE);
    EXPECT_SAME_FLOAT(expected.co2wplH, actual.co2wplH);
    EXPECT_SAME_FLOAT(expected.LE_leuning, actual.LE_leuning);
    EXPECT_SAME_FLOAT(expected.Fc_leuning, actual.Fc_leuning);
    EXPECT_EQ(expected.Records, actual.Records);
}

TEST(ComputeFluxes, WorkedExampleWithGivenCovariances) {
    // Air properties of Ts = 20, H2O = 10, P = 100; then deviations that give
    // cov(U,W) = -0.09, cov(V,W) = 0, cov(W,Tc) = 0.1, cov(W,CO2) = -0.5 and
    // cov(W,H2O) = 0.05 around m(CO2) = 700, m(H2O) = 10.
    auto block = NewBlock();
    const int n = 10;
    const float values[kVariableCount] = {3.0f, 1.0f, 0.0f, 700.0f, 10.0f, 20.0f, 100.0f};
    FillConstant(*block, n, values);
    ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
    ComputeAirProperties(*block, n);
    const float tc = block->Tc[0];
    for (int i = 0; i < n; ++i) {
        float sign = i % 2 == 0 ? 1.0f : -1.0f;
        block->W()[i] = 0.5f * sign;
        block->U()[i] = 3.0f - 0.18f * sign;
        block->sample[kCO2][i] = 700.0f - 1.0f * sign;
        block->sample[kH2O][i] = 10.0f + 0.1f * sign;
        block->Tc[i] = tc + 0.2f * sign;
    }
    ComputeMeans(*block, n);
    FluxResult result = ComputeFluxes(*block, n);
    ExpectSameResult(FluxesByHand(*block, n), result);

    const double rho = block->m_rho, mTc = block->meanTc, chi = block->m_chi_v;
    EXPECT_NEAR(0.3, result.ustar, 1e-6);
    EXPECT_NEAR(0.09 * rho, result.tau, 1e-6);
    EXPECT_NEAR(0.1 * rho * 1004.67, result.Hs, 0.05);
    // The first term has no factor 2440: with one the latent heat would be 8 W/m2 higher.
    EXPECT_NEAR((1 + chi) * (0.1 * 10 / mTc + 0.05 * 2440), result.LE_leuning, 0.01);
    EXPECT_LT(result.Fc_leuning, 0.0f);
    EXPECT_NEAR(-0.5 * 1000 / 44 + result.co2wplLE + result.co2wplH, result.Fc_leuning, 1e-4);
    EXPECT_NEAR(mTc - 273.16, result.ave_Tc, 1e-4);
    EXPECT_SAME_FLOAT(20.0f, result.ave_Ts);
    EXPECT_EQ(n, result.Records);
}

TEST(ComputeFluxes, MatchesTheFormulasOnNoisyBlocks) {
    for (std::uint32_t seed : {31u, 32u, 33u}) {
        auto block = NewBlock();
        const int n = seed == 33u ? 18000 : 3000;
        FillNoisy(*block, n, seed);
        block->sample[kW][5] = 20.0f;  // one record leaves the statistics
        ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
        ComputeAirProperties(*block, n);
        ComputeMeans(*block, n);
        RotateTwoAxis(*block, n);
        ComputeMeans(*block, n);
        ExpectSameResult(FluxesByHand(*block, n), ComputeFluxes(*block, n));
    }
}

TEST(ComputeFluxes, MatchesTheFormulasOnManySmallBlocks) {
    // Many short blocks with shifted means, so that each single rounding step
    // of the formulas gets the chance to show.
    Noise shift(91);
    for (std::uint32_t seed = 100; seed < 700; ++seed) {
        auto block = NewBlock();
        const int n = 8 + static_cast<int>(seed % 29);
        FillNoisy(*block, n, seed);
        for (int v = 0; v < kVariableCount; ++v) {
            const float offset = static_cast<float>(shift.Next() * (v == kP ? 5.0 : v == kCO2 ? 100.0 : 3.0));
            for (int i = 0; i < n; ++i) block->sample[v][i] += offset;
        }
        ASSERT_TRUE(Despike(*block, n, DefaultRangeLimits()));
        ComputeAirProperties(*block, n);
        ComputeMeans(*block, n);
        RotateTwoAxis(*block, n);
        ComputeMeans(*block, n);
        ExpectSameResult(FluxesByHand(*block, n), ComputeFluxes(*block, n));
        if (HasFailure()) FAIL() << "block " << seed;
    }
}

// --------------------------------------------------------- Whole pipeline

TEST(ProcessBlock, RunsTheStepsInOrderForEitherRotation) {
    for (int choice : {0, 1, 2}) {
        RotationSettings rotation;
        rotation.choice = choice;
        rotation.b0 = 0.05f;
        rotation.b1 = 0.02f;
        rotation.b2 = -0.03f;
        auto block = NewBlock();
        FillNoisy(*block, 2000, 41);
        auto manual = NewBlock();
        std::memcpy(manual.get(), block.get(), sizeof(BlockBuffer));

        FluxResult result{};
        ASSERT_EQ(BlockOutcome::Computed, ProcessBlock(*block, 2000, DefaultRangeLimits(), rotation, result));

        ASSERT_TRUE(Despike(*manual, 2000, DefaultRangeLimits()));
        ComputeAirProperties(*manual, 2000);
        ComputeMeans(*manual, 2000);
        if (choice == 1) RotatePlanarFit(*manual, 2000, 0.05f, 0.02f, -0.03f);
        else RotateTwoAxis(*manual, 2000);
        ComputeMeans(*manual, 2000);
        ExpectSameResult(ComputeFluxes(*manual, 2000), result);
    }
}

TEST(ProcessBlock, SameBlockGivesTheSameResultAfterAnyOther) {
    auto block = NewBlock();
    FluxResult first{}, other{}, again{};
    FillNoisy(*block, 5000, 51);
    ASSERT_EQ(BlockOutcome::Computed, ProcessBlock(*block, 5000, DefaultRangeLimits(), RotationSettings{}, first));
    FillNoisy(*block, 18000, 52);
    block->sample[kTs][100] = 45.0f;
    ASSERT_EQ(BlockOutcome::Computed, ProcessBlock(*block, 18000, DefaultRangeLimits(), RotationSettings{}, other));
    FillNoisy(*block, 5000, 51);
    ASSERT_EQ(BlockOutcome::Computed, ProcessBlock(*block, 5000, DefaultRangeLimits(), RotationSettings{}, again));
    ExpectSameResult(first, again);
}

TEST(ProcessBlock, RejectsWhatTheScreeningRejects) {
    auto block = NewBlock();
    FillNoisy(*block, 100, 61);
    for (int i = 0; i < 100; ++i) block->sample[kP][i] = 150.0f;
    FluxResult result{};
    EXPECT_EQ(BlockOutcome::Rejected, ProcessBlock(*block, 100, DefaultRangeLimits(), RotationSettings{}, result));
}

}  // namespace
}  // namespace kelvara
