// The block stages sum the seven variables side by side (one SIMD lane a
// variable) and take the records in stretches; every result must still be
// the bits of the plain record-by-record arithmetic below, on blocks of any
// length and with the awkward values a logger can write.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "EngineTestSupport.h"
#include "pipeline/AirProperties.h"
#include "pipeline/BlockMoments.h"
#include "pipeline/Despike.h"
#include "pipeline/Fluxes.h"
#include "pipeline/Means.h"
#include "pipeline/PhysicalConstants.h"
#include "pipeline/Precision.h"

namespace kelvara {
namespace {

using namespace constants;

// The plain arithmetic, one record and one variable at a time.
namespace plain {

bool Despike(BlockBuffer& b, const RangeLimits& limits) {
    const int n = b.count;
    float m1[kVariableCount], th[kVariableCount], sums[kVariableCount] = {};
    for (int v = 0; v < kVariableCount; ++v) {
        const float lo = limits.Minimum(static_cast<Variable>(v)), hi = limits.Maximum(static_cast<Variable>(v));
        b.inRange[v] = 0;
        for (int i = 0; i < n; ++i) {
            if (InRange(b.sample[v][i], lo, hi)) {
                sums[v] = Store(AddTo(sums[v], b.sample[v][i]));
                ++b.inRange[v];
            }
        }
    }
    for (const int count : b.inRange) {
        if (count == 0) return false;
    }
    for (int v = 0; v < kVariableCount; ++v) {
        const float lo = limits.Minimum(static_cast<Variable>(v)), hi = limits.Maximum(static_cast<Variable>(v));
        const int count = b.inRange[v];
        float squares = 0.0f;
        m1[v] = Store(static_cast<double>(sums[v]) / count);
        for (int i = 0; i < n; ++i) {
            if (InRange(b.sample[v][i], lo, hi)) {
                const double d = static_cast<double>(b.sample[v][i]) - m1[v];
                squares = Store(static_cast<double>(squares) + d * d);
            }
        }
        th[v] = Store(6.0 * std::sqrt(static_cast<double>(squares) / count));
    }
    for (int v = 0; v < kVariableCount; ++v) {
        const double lower = static_cast<double>(m1[v]) - th[v], upper = static_cast<double>(m1[v]) + th[v];
        float sum = 0.0f;
        int count = 0;
        for (int i = 0; i < n; ++i) {
            const double x = b.sample[v][i];
            b.flag[v][i] = (lower <= x && x <= upper) ? 1 : 0;
            if (b.flag[v][i] != 0) {
                sum = Store(static_cast<double>(sum) + x);
                ++count;
            }
        }
        const float m2 = Store(static_cast<double>(sum) / count);
        const double lower2 = static_cast<double>(m2) - th[v], upper2 = static_cast<double>(m2) + th[v];
        for (int i = 0; i < n; ++i) {
            const double x = b.sample[v][i];
            if (x > upper2 || x < lower2) b.sample[v][i] = m2;
        }
    }
    return true;
}

void AirProperties(BlockBuffer& b) {
    float sn = 0.0f, sc = 0.0f, sd = 0.0f, sr = 0.0f;
    int good = 0;
    for (int i = 0; i < b.count; ++i) {
        if (!b.IsGood(i)) continue;
        const double ts = b.sample[kTs][i], h2o = b.sample[kH2O][i], p = b.sample[kP][i];
        const float tk = Store(ts + kKelvinOffset);
        const float a = Store(h2o / kWaterMolarMassKg);
        const float n_a = Store(p / (static_cast<double>(tk) * kGasConstant));
        sn = Store(AddTo(sn, n_a));
        const double vapour = static_cast<double>(a) / kMilliPerUnit;
        const float r = Store(vapour / (static_cast<double>(n_a) - vapour));
        const float tc = Store(static_cast<double>(tk) / (static_cast<double>(r) * kSonicHumidityCoefficient + 1.0));
        b.Tc[i] = tc;
        sc = Store(AddTo(sc, Store(static_cast<double>(tc) * kGasConstant * h2o / (p * kWaterMolarMassG))));
        const float e = Store(h2o * kGasConstant * static_cast<double>(tk) / kWaterMolarMassG);
        const float rho_d = Store((p - static_cast<double>(e)) / (static_cast<double>(tk) * kDryAirGasConstant));
        sd = Store(AddTo(sd, rho_d));
        sr = Store(AddTo(sr, Store(static_cast<double>(rho_d) + h2o / kMilliPerUnit)));
        ++good;
    }
    b.air = AirMeans{Store(static_cast<double>(sd) / good), Store(static_cast<double>(sr) / good),
                     Store(static_cast<double>(sc) / good), Store(static_cast<double>(sn) / good)};
}

void Means(BlockBuffer& b) {
    float sums[kVariableCount] = {}, sumTc = 0.0f;
    int good = 0;
    for (int i = 0; i < b.count; ++i) {
        if (!b.IsGood(i)) continue;
        for (int v = 0; v < kVariableCount; ++v) sums[v] = Store(AddTo(sums[v], b.sample[v][i]));
        sumTc = Store(AddTo(sumTc, b.Tc[i]));
        ++good;
    }
    for (int v = 0; v < kVariableCount; ++v) b.mean[v] = Store(static_cast<double>(sums[v]) / good);
    b.meanTc = Store(static_cast<double>(sumTc) / good);
}

// The five covariances that the fluxes start from, as the results carry
// them through ustar, tau, Hs, LE and Fc.
void Covariances(const BlockBuffer& b, float (&out)[5]) {
    const double mU = b.mean[kU], mV = b.mean[kV], mW = b.mean[kW], mCO2 = b.mean[kCO2], mH2O = b.mean[kH2O];
    float s[5] = {};
    int good = 0;
    for (int i = 0; i < b.count; ++i) {
        if (!b.IsGood(i)) continue;
        const double du = b.sample[kU][i] - mU, dv = b.sample[kV][i] - mV, dw = b.sample[kW][i] - mW;
        const double dc = b.sample[kCO2][i] - mCO2, dh = b.sample[kH2O][i] - mH2O, dt = b.Tc[i] - b.meanTc;
        s[0] = Store(static_cast<double>(s[0]) + dv * dw);
        s[1] = Store(static_cast<double>(s[1]) + dw * dt);
        s[2] = Store(static_cast<double>(s[2]) + du * dw);
        s[3] = Store(static_cast<double>(s[3]) + dw * dc);
        s[4] = Store(static_cast<double>(s[4]) + dw * dh);
        ++good;
    }
    for (int k = 0; k < 5; ++k) out[k] = Store(static_cast<double>(s[k]) / good);
}

BlockMoments Moments(const StandardBlock& b) {
    BlockMoments m;
    double sum[kVariableCount] = {};
    for (int i = 0; i < b.count; ++i) {
        if (!b.IsGood(i)) continue;
        for (int v = 0; v < kVariableCount; ++v) sum[v] += static_cast<double>(b.sample[v][i]);
        ++m.count;
    }
    for (int v = 0; v < kVariableCount; ++v) m.mean[v] = sum[v] / m.count;
    double products[kWindComponents][kP] = {};
    for (int i = 0; i < b.count; ++i) {
        if (!b.IsGood(i)) continue;
        for (int a = 0; a < kWindComponents; ++a) {
            for (int c = a; c < kP; ++c) {
                products[a][c] += (static_cast<double>(b.sample[a][i]) - m.mean[a]) *
                                  (static_cast<double>(b.sample[c][i]) - m.mean[c]);
            }
        }
    }
    for (int a = 0; a < kWindComponents; ++a) {
        for (int c = 0; c < kP; ++c) m.cov[a][c] = c >= a ? products[a][c] / m.count : products[c][a] / m.count;
    }
    return m;
}

}  // namespace plain

// A calm block with spikes, values at and beyond the range limits, signed
// zeros, infinities and NaN, of the given length.
std::unique_ptr<BlockBuffer> AwkwardBlock(int n, std::uint32_t seed) {
    auto block = std::make_unique<BlockBuffer>();
    block->count = n;
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    const float centre[kVariableCount] = {2.5f, -1.0f, 0.05f, 700.0f, 10.0f, 20.0f, 98.0f};
    const float spread[kVariableCount] = {1.0f, 1.0f, 0.2f, 5.0f, 0.5f, 0.3f, 0.05f};
    const RangeLimits limits = BuiltInRangeLimits();
    for (int v = 0; v < kVariableCount; ++v) {
        for (int i = 0; i < n; ++i) {
            // Pressure steady in every other block: its band shrinks to one
            // value, at both bounds at once.
            const bool steady = v == kP && seed % 2 == 0;
            float x = centre[v] + (steady ? 0.0f : spread[v] * noise(random));
            // A steady variable's outliers lie beyond its range limits, so
            // that they leave the band at one value and are replaced.
            if (steady) {
                block->sample[v][i] = random() % 31 == 0 ? 200.0f : x;
                continue;
            }
            switch (random() % 97) {
                case 0:
                    x = centre[v] + 40.0f * spread[v];
                    break;  // a spike
                case 1:
                    x = limits.Minimum(static_cast<Variable>(v));
                    break;
                case 2:
                    x = limits.Maximum(static_cast<Variable>(v));
                    break;
                case 3:
                    x = -0.0f;
                    break;
                case 4:
                    x = std::numeric_limits<float>::infinity();
                    break;
                case 5:
                    x = std::numeric_limits<float>::quiet_NaN();
                    break;
                case 6:
                    x = 1e30f;
                    break;
                default:
                    break;
            }
            block->sample[v][i] = x;
        }
    }
    return block;
}

void ExpectSameBits(const float* a, const float* b, int n, const char* what) {
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a[i]), std::bit_cast<std::uint32_t>(b[i])) << what << " " << i;
    }
}

TEST(BlockLanes, EveryStageGivesTheBitsOfThePlainArithmetic) {
    const RangeLimits limits = BuiltInRangeLimits();
    for (const int n : {1, 2, 3, 4, 5, 7, 255, 256, 257, 1023, 4099, kBlockCapacity}) {
        auto fast = AwkwardBlock(n, static_cast<std::uint32_t>(n));
        auto slow = AwkwardBlock(n, static_cast<std::uint32_t>(n));
        const bool kept = Despike(*fast, limits);
        ASSERT_EQ(kept, plain::Despike(*slow, limits)) << n;
        for (int v = 0; v < kVariableCount; ++v) {
            ASSERT_EQ(fast->inRange[v], slow->inRange[v]) << n;
            if (!kept) continue;
            ExpectSameBits(fast->sample[v], slow->sample[v], n, "sample");
            for (int i = 0; i < n; ++i) ASSERT_EQ(fast->flag[v][i], slow->flag[v][i]) << n << " " << i;
        }
        if (!kept || slow->GoodRecordCount() == 0) continue;
        ASSERT_EQ(fast->GoodRecordCount(), slow->GoodRecordCount());
        ComputeAirProperties(*fast);
        plain::AirProperties(*slow);
        ComputeMeans(*fast);
        plain::Means(*slow);
        ExpectSameBits(&fast->air.rho_d, &slow->air.rho_d, 1, "rho_d");
        ExpectSameBits(&fast->air.rho, &slow->air.rho, 1, "rho");
        ExpectSameBits(&fast->air.chi_v, &slow->air.chi_v, 1, "chi_v");
        ExpectSameBits(&fast->air.n_a, &slow->air.n_a, 1, "n_a");
        ExpectSameBits(fast->mean, slow->mean, kVariableCount, "means");
        ExpectSameBits(&fast->meanTc, &slow->meanTc, 1, "mean Tc");
        for (int i = 0; i < n; ++i) {
            if (slow->IsGood(i)) ExpectSameBits(&fast->Tc[i], &slow->Tc[i], 1, "Tc");
        }
        float covariances[5];
        plain::Covariances(*slow, covariances);
        const FluxResult result = ComputeFluxes(*fast);
        const double s = std::sqrt(static_cast<double>(covariances[2]) * covariances[2] +
                                   static_cast<double>(covariances[0]) * covariances[0]);
        const float ustar = Store(std::sqrt(s));
        const float hs = Store(static_cast<double>(covariances[1]) * slow->air.rho * kSpecificHeatOfAir);
        // LE carries w'H2O' and w'Tc', Fc w'CO2' besides.
        const double mTc = slow->meanTc, mH2O = slow->mean[kH2O], mCO2 = slow->mean[kCO2];
        const float latent = Store(static_cast<double>(covariances[4]) * static_cast<double>(kLatentHeat));
        const float le = Store((1.0 + static_cast<double>(slow->air.chi_v)) *
                               (static_cast<double>(covariances[1]) * mH2O / mTc + static_cast<double>(latent)));
        const double cp = kSpecificHeatOfAir;
        const float wplLE = Store(static_cast<double>(le) * mCO2 / (static_cast<double>(slow->air.n_a) * mTc * cp) *
                                  static_cast<double>(kMilliPerUnitSingle) / static_cast<double>(kCO2MolarMassSingle));
        const float wplH = Store(static_cast<double>(hs) * mCO2 / (cp * static_cast<double>(slow->air.rho_d) * mTc) *
                                 static_cast<double>(kMilliPerUnitSingle) / static_cast<double>(kCO2MolarMassSingle));
        const float fc = Store(static_cast<double>(covariances[3]) * kMilliPerUnit / kCO2MolarMass +
                               static_cast<double>(wplLE) + static_cast<double>(wplH));
        ExpectSameBits(&result.ustar, &ustar, 1, "ustar");
        ExpectSameBits(&result.Hs, &hs, 1, "Hs");
        ExpectSameBits(&result.LE_leuning, &le, 1, "LE");
        ExpectSameBits(&result.Fc_leuning, &fc, 1, "Fc");
        EXPECT_EQ(result.Records, slow->GoodRecordCount());
    }
}

TEST(BlockLanes, TheStandardMomentsAreThePlainSums) {
    const RangeLimits limits = BuiltInRangeLimits();
    for (const int n : {1, 3, 5, 257, 4099, 36001}) {
        const auto source = AwkwardBlock(std::min(n, kBlockCapacity), static_cast<std::uint32_t>(n));
        StandardBlock block;
        for (int i = 0; i < n; ++i) {
            float values[kVariableCount];
            for (int v = 0; v < kVariableCount; ++v) values[v] = source->sample[v][i % kBlockCapacity];
            ASSERT_TRUE(block.Append(values));
        }
        if (!Despike(block, limits) || block.GoodRecordCount() == 0) continue;
        const BlockMoments fast = ComputeBlockMoments(block);
        const BlockMoments slow = plain::Moments(block);
        ASSERT_EQ(fast.count, slow.count) << n;
        for (int v = 0; v < kVariableCount; ++v) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(fast.mean[v]), std::bit_cast<std::uint64_t>(slow.mean[v])) << n;
        }
        for (int a = 0; a < kWindComponents; ++a) {
            for (int c = 0; c < kP; ++c) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(fast.cov[a][c]), std::bit_cast<std::uint64_t>(slow.cov[a][c]))
                    << n << " " << a << " " << c;
            }
        }
    }
}

}  // namespace
}  // namespace kelvara
