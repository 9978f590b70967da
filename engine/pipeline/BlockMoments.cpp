#include "pipeline/BlockMoments.h"

#include <cstdint>

#include "pipeline/GoodRecords.h"
#include "pipeline/VariableLanes.h"

namespace kelvara {

namespace {

// The sums of the good records' values, and of the products of their
// deviations from the means: plain double sums, each in record order.
struct MomentSums {
    double sum[kVariableCount] = {};
    double products[kWindComponents][kP] = {};
    int count = 0;
};

#if KELVARA_VARIABLE_LANES

// Two variables a register: (U, V), (W, CO2), (H2O, Ts) and (P, nothing).
struct DoubleLanes {
    __m128d pair[4];
};

inline DoubleLanes Widen(const lanes::Row& x) {
    return DoubleLanes{{_mm_cvtps_pd(x.low), _mm_cvtps_pd(_mm_movehl_ps(x.low, x.low)), _mm_cvtps_pd(x.high),
                        _mm_cvtps_pd(_mm_movehl_ps(x.high, x.high))}};
}

void Columns(const StandardBlock& block, const float* (&columns)[8]) {
    for (int v = 0; v < kVariableCount; ++v) columns[v] = block.sample[v];
    columns[kVariableCount] = block.sample[kP];  // read for the empty lane, never used
}

// A record that is not good adds +0, which changes no sum: one that starts
// at +0 is never -0.
void SumValues(const StandardBlock& block, MomentSums& sums) {
    const float* columns[8];
    Columns(block, columns);
    DoubleLanes sum{{_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()}};
    ForEachStretch(block, [&](int first, int count, const std::uint8_t* good) {
        lanes::ForEachRow(columns, first, count, good, [&sum](const lanes::Row& x, __m128 mask) {
            const DoubleLanes values = Widen(x);
            for (int k = 0; k < 4; ++k) {
                sum.pair[k] = _mm_add_pd(sum.pair[k], _mm_and_pd(values.pair[k], _mm_castps_pd(mask)));
            }
        });
        for (int k = 0; k < count; ++k) sums.count += good[k];
    });
    double all[8];
    for (int k = 0; k < 4; ++k) _mm_storeu_pd(all + 2 * k, sum.pair[k]);
    for (int v = 0; v < kVariableCount; ++v) sums.sum[v] = all[v];
}

// Each wind component times the pairs from its own on; the lanes before
// b = a, and after P, are summed but never used.
void SumProducts(const StandardBlock& block, const double (&mean)[kVariableCount], MomentSums& sums) {
    const float* columns[8];
    Columns(block, columns);
    const __m128d means[4] = {_mm_setr_pd(mean[kU], mean[kV]), _mm_setr_pd(mean[kW], mean[kCO2]),
                              _mm_setr_pd(mean[kH2O], mean[kTs]), _mm_setr_pd(mean[kP], 0.0)};
    __m128d products[kWindComponents][4];
    for (auto& row : products) {
        for (auto& pair : row) pair = _mm_setzero_pd();
    }
    ForEachStretch(block, [&](int first, int count, const std::uint8_t* good) {
        lanes::ForEachRow(columns, first, count, good, [&](const lanes::Row& x, __m128 mask) {
            DoubleLanes deviation = Widen(x);
            for (int k = 0; k < 4; ++k) {
                deviation.pair[k] = _mm_and_pd(_mm_sub_pd(deviation.pair[k], means[k]), _mm_castps_pd(mask));
            }
            const __m128d component[kWindComponents] = {_mm_unpacklo_pd(deviation.pair[0], deviation.pair[0]),
                                                        _mm_unpackhi_pd(deviation.pair[0], deviation.pair[0]),
                                                        _mm_unpacklo_pd(deviation.pair[1], deviation.pair[1])};
            for (int a = 0; a < kWindComponents; ++a) {
                for (int k = a / 2; k < 4; ++k) {
                    products[a][k] = _mm_add_pd(products[a][k], _mm_mul_pd(component[a], deviation.pair[k]));
                }
            }
        });
    });
    for (int a = 0; a < kWindComponents; ++a) {
        double row[8];
        for (int k = 0; k < 4; ++k) _mm_storeu_pd(row + 2 * k, products[a][k]);
        for (int b = a; b < kP; ++b) sums.products[a][b] = row[b];
    }
}

#else

void SumValues(const StandardBlock& block, MomentSums& sums) {
    for (int i = 0; i < block.count; ++i) {
        if (!block.IsGood(i)) continue;
        for (int v = 0; v < kVariableCount; ++v) sums.sum[v] += static_cast<double>(block.sample[v][i]);
        ++sums.count;
    }
}

void SumProducts(const StandardBlock& block, const double (&mean)[kVariableCount], MomentSums& sums) {
    for (int i = 0; i < block.count; ++i) {
        if (!block.IsGood(i)) continue;
        double deviation[kP];
        for (int v = 0; v < kP; ++v) deviation[v] = static_cast<double>(block.sample[v][i]) - mean[v];
        for (int a = 0; a < kWindComponents; ++a) {
            for (int b = a; b < kP; ++b) sums.products[a][b] += deviation[a] * deviation[b];
        }
    }
}

#endif

}  // namespace

BlockMoments ComputeBlockMoments(const StandardBlock& block) {
    BlockMoments moments;
    MomentSums sums;
    SumValues(block, sums);
    const int n = sums.count;
    moments.count = n;
    for (int v = 0; v < kVariableCount; ++v) moments.mean[v] = sums.sum[v] / n;

    // Each product sum runs on its own in record order; only the pairs with
    // b >= a are summed, the wind block's lower half is their mirror.
    SumProducts(block, moments.mean, sums);
    for (int a = 0; a < kWindComponents; ++a) {
        for (int b = a; b < kP; ++b) moments.cov[a][b] = sums.products[a][b] / n;
        for (int b = 0; b < a; ++b) moments.cov[a][b] = moments.cov[b][a];
    }
    return moments;
}

}  // namespace kelvara
