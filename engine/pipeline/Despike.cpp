#include "pipeline/Despike.h"

#include <cmath>
#include <limits>

#include "pipeline/Precision.h"
#include "pipeline/VariableLanes.h"

namespace kelvara {

namespace {

constexpr double kSpikeThreshold = 6.0;
constexpr int kLanes = 8;  // the seven variables and a lane that takes nothing

// Per-variable working values of one despike, one entry a lane; the eighth
// lane's bounds are NaN, so that it never takes a sample.
struct DespikeState {
    float minimum[kLanes];
    float maximum[kLanes];
    float sum[kLanes] = {};
    int count[kLanes] = {};
    float m1[kLanes] = {};
    float th[kLanes] = {};
    // The band as floats: a float compares with these as its double value
    // compares with the band's double bounds.
    float lower[kLanes];
    float upper[kLanes];
};

constexpr float kNoBound = std::numeric_limits<float>::quiet_NaN();

// The smallest float at or above a double bound.
float FloatAtOrAbove(double bound) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(bound)) return kNoBound;
    if (bound > kMax) return std::numeric_limits<float>::infinity();
    if (bound < -kMax)
        return bound == -std::numeric_limits<double>::infinity() ? -std::numeric_limits<float>::infinity()
                                                                 : -std::numeric_limits<float>::max();
    float rounded = static_cast<float>(bound);
    if (static_cast<double>(rounded) < bound) rounded = std::nextafter(rounded, std::numeric_limits<float>::infinity());
    return rounded;
}

// The largest float at or below a double bound.
float FloatAtOrBelow(double bound) { return -FloatAtOrAbove(-bound); }

// Each sum below is a float sum, Store(AddTo(sum, x)): a double has more
// than twice a float's digits, so the double sum rounded to float is the
// float sum, bit for bit, and the lanes add floats.

// The passes are templates on the block type, so that the default block and
// the standard one run the very same arithmetic on their own array layouts.
// Each pass runs its records [from, to) record by record here,
// and four records at a time in the lanes where there are lanes.

// Which samples a sum takes: those strictly inside the range limits (the
// first mean and the threshold), or those inside the band, bounds included
// (the second mean).
struct InsideRange {
    static bool Takes(float minimum, float x, float maximum) { return InRange(x, minimum, maximum); }
#if KELVARA_VARIABLE_LANES
    static __m128 Lanes(__m128 minimum, __m128 x, __m128 maximum) {
        return _mm_and_ps(_mm_cmplt_ps(minimum, x), _mm_cmplt_ps(x, maximum));
    }
#endif
};

struct InsideBand {
    static bool Takes(float lower, float x, float upper) { return lower <= x && x <= upper; }
#if KELVARA_VARIABLE_LANES
    static __m128 Lanes(__m128 lower, __m128 x, __m128 upper) {
        return _mm_and_ps(_mm_cmple_ps(lower, x), _mm_cmple_ps(x, upper));
    }
#endif
};

// Adds the samples that Rule takes between the bounds to the sums and
// counts of the state.
// Record by record over all seven variables, so that the seven running sums
// (each still in record order) overlap instead of waiting on one another.
template <class Rule, class Block>
void SumTaken(const Block& block, int from, int to, const float (&low)[kLanes], const float (&high)[kLanes],
              DespikeState& s) {
    for (int i = from; i < to; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            const float x = block.sample[v][i];
            if (Rule::Takes(low[v], x, high[v])) {
                s.sum[v] = Store(AddTo(s.sum[v], x));
                ++s.count[v];
            }
        }
    }
}

template <class Block>
void SumSquares(const Block& block, int from, int to, const DespikeState& s, float (&squares)[kLanes]) {
    for (int i = from; i < to; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            const float x = block.sample[v][i];
            if (InRange(x, s.minimum[v], s.maximum[v])) {
                const double deviation = static_cast<double>(x) - static_cast<double>(s.m1[v]);
                squares[v] = Store(static_cast<double>(squares[v]) + deviation * deviation);
            }
        }
    }
}

#if KELVARA_VARIABLE_LANES

template <class Block>
void Columns(const Block& block, const float* (&columns)[kLanes]) {
    for (int v = 0; v < kVariableCount; ++v) columns[v] = block.sample[v];
    columns[kVariableCount] = block.sample[kVariableCount - 1];  // read for the empty lane, never used
}

// Adds the masked lanes of x to the sums and counts the lanes. A lane left
// out adds +0, which changes no sum: a float sum that starts at +0 is never
// -0.
inline void AddMasked(__m128 mask, __m128 x, __m128& sum, __m128i& count) {
    sum = _mm_add_ps(sum, _mm_and_ps(mask, x));
    count = _mm_sub_epi32(count, _mm_castps_si128(mask));
}

inline void StoreSumsAndCounts(const lanes::Row& sum, __m128i countLow, __m128i countHigh, DespikeState& s) {
    lanes::StoreLanes(sum, s.sum);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.count), countLow);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.count + 4), countHigh);
}

// The records the lanes take, four at a time; the rest is the scalar tail.
inline int LaneRecords(int n) { return n - n % 4; }

template <class Rule, class Block>
void SumTakenInLanes(const Block& block, int n, const float (&low)[kLanes], const float (&high)[kLanes],
                     DespikeState& s) {
    const float* columns[kLanes];
    Columns(block, columns);
    const lanes::Row lowLanes = lanes::LoadLanes(low);
    const lanes::Row highLanes = lanes::LoadLanes(high);
    lanes::Row sum{_mm_setzero_ps(), _mm_setzero_ps()};
    __m128i countLow = _mm_setzero_si128();
    __m128i countHigh = _mm_setzero_si128();
    const int end = LaneRecords(n);
    for (int i = 0; i < end; i += 4) {
        lanes::Row rows[4];
        lanes::LoadFourRows(columns, i, rows);
        for (const lanes::Row& x : rows) {
            AddMasked(Rule::Lanes(lowLanes.low, x.low, highLanes.low), x.low, sum.low, countLow);
            AddMasked(Rule::Lanes(lowLanes.high, x.high, highLanes.high), x.high, sum.high, countHigh);
        }
    }
    StoreSumsAndCounts(sum, countLow, countHigh, s);
    SumTaken<Rule>(block, end, n, low, high, s);
}

// Two lanes of squares in double: Store(squares + deviation^2) of the
// variables whose mask lanes are set.
inline __m128d AddSquares(__m128d squares, __m128 x, __m128d mean, __m128 mask) {
    const __m128d deviation = _mm_sub_pd(_mm_cvtps_pd(x), mean);
    const __m128d square = _mm_and_pd(_mm_mul_pd(deviation, deviation), _mm_castps_pd(mask));
    return _mm_cvtps_pd(_mm_cvtpd_ps(_mm_add_pd(squares, square)));
}

// The high two floats of x moved down.
inline __m128 HighHalf(__m128 x) { return _mm_movehl_ps(x, x); }

// Each 32-bit mask lane widened to the 64-bit lane of its double.
inline __m128 LowMask(__m128 mask) { return _mm_unpacklo_ps(mask, mask); }
inline __m128 HighMask(__m128 mask) { return _mm_unpackhi_ps(mask, mask); }

template <class Block>
void SumSquaresInLanes(const Block& block, int n, const DespikeState& s, float (&squares)[kLanes]) {
    const float* columns[kLanes];
    Columns(block, columns);
    const lanes::Row minimum = lanes::LoadLanes(s.minimum);
    const lanes::Row maximum = lanes::LoadLanes(s.maximum);
    const lanes::Row m1 = lanes::LoadLanes(s.m1);
    const __m128d mean[4] = {_mm_cvtps_pd(m1.low), _mm_cvtps_pd(HighHalf(m1.low)), _mm_cvtps_pd(m1.high),
                             _mm_cvtps_pd(HighHalf(m1.high))};
    __m128d sum[4] = {_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()};
    const int end = LaneRecords(n);
    for (int i = 0; i < end; i += 4) {
        lanes::Row rows[4];
        lanes::LoadFourRows(columns, i, rows);
        for (const lanes::Row& x : rows) {
            const __m128 low = InsideRange::Lanes(minimum.low, x.low, maximum.low);
            const __m128 high = InsideRange::Lanes(minimum.high, x.high, maximum.high);
            sum[0] = AddSquares(sum[0], x.low, mean[0], LowMask(low));
            sum[1] = AddSquares(sum[1], HighHalf(x.low), mean[1], HighMask(low));
            sum[2] = AddSquares(sum[2], x.high, mean[2], LowMask(high));
            sum[3] = AddSquares(sum[3], HighHalf(x.high), mean[3], HighMask(high));
        }
    }
    for (int pair = 0; pair < 4; ++pair) {
        const __m128 asFloats = _mm_cvtpd_ps(sum[pair]);
        _mm_storel_pi(reinterpret_cast<__m64*>(squares + 2 * pair), asFloats);
    }
    SumSquares(block, end, n, s, squares);
}

#else

template <class Rule, class Block>
void SumTakenInLanes(const Block& block, int n, const float (&low)[kLanes], const float (&high)[kLanes],
                     DespikeState& s) {
    SumTaken<Rule>(block, 0, n, low, high, s);
}

template <class Block>
void SumSquaresInLanes(const Block& block, int n, const DespikeState& s, float (&squares)[kLanes]) {
    SumSquares(block, 0, n, s, squares);
}

#endif

template <class Block>
void ComputeThresholds(const Block& block, int n, DespikeState& s) {
    float squares[kLanes] = {};
    for (int v = 0; v < kVariableCount; ++v) s.m1[v] = Store(static_cast<double>(s.sum[v]) / s.count[v]);
    SumSquaresInLanes(block, n, s, squares);
    for (int v = 0; v < kVariableCount; ++v) {
        s.th[v] = Store(kSpikeThreshold * std::sqrt(static_cast<double>(squares[v]) / s.count[v]));
    }
}

// Flags every sample against the band m1 +- th (inclusive, inside the range
// limits or not) and sums the samples inside it for the second mean.
template <class Block>
void FlagAgainstBand(Block& block, int n, DespikeState& s) {
    for (int v = 0; v < kVariableCount; ++v) {
        s.lower[v] = FloatAtOrAbove(static_cast<double>(s.m1[v]) - static_cast<double>(s.th[v]));
        s.upper[v] = FloatAtOrBelow(static_cast<double>(s.m1[v]) + static_cast<double>(s.th[v]));
        const float lower = s.lower[v];
        const float upper = s.upper[v];
        const float* x = block.sample[v];
        std::int16_t* flag = block.flag[v];
        // Both comparisons always, so that the loop compiles to SIMD code.
        for (int i = 0; i < n; ++i) flag[i] = static_cast<std::int16_t>((lower <= x[i]) & (x[i] <= upper));
        s.sum[v] = 0.0f;
        s.count[v] = 0;
    }
    // The samples inside the band, for the second mean.
    SumTakenInLanes<InsideBand>(block, n, s.lower, s.upper, s);
}

// Out-of-band samples take the second mean; the band keeps its width.
template <class Block>
void ReplaceOutsideBand(Block& block, int n, const DespikeState& s) {
    for (int v = 0; v < kVariableCount; ++v) {
        const float m2 = Store(static_cast<double>(s.sum[v]) / s.count[v]);
        const float lower = FloatAtOrAbove(static_cast<double>(m2) - static_cast<double>(s.th[v]));
        const float upper = FloatAtOrBelow(static_cast<double>(m2) + static_cast<double>(s.th[v]));
        float* x = block.sample[v];
        for (int i = 0; i < n; ++i) x[i] = ((x[i] > upper) | (x[i] < lower)) ? m2 : x[i];
    }
}

template <class Block>
bool DespikeBlock(Block& block, const RangeLimits& limits) {
    const int n = block.count;
    DespikeState state;
    for (int v = 0; v < kVariableCount; ++v) {
        state.minimum[v] = limits.Minimum(static_cast<Variable>(v));
        state.maximum[v] = limits.Maximum(static_cast<Variable>(v));
    }
    state.minimum[kVariableCount] = state.maximum[kVariableCount] = kNoBound;
    state.lower[kVariableCount] = state.upper[kVariableCount] = kNoBound;
    // Only samples strictly inside the range limits set the first mean and
    // the threshold.
    SumTakenInLanes<InsideRange>(block, n, state.minimum, state.maximum, state);
    for (int v = 0; v < kVariableCount; ++v) block.inRange[v] = state.count[v];
    for (int v = 0; v < kVariableCount; ++v) {
        if (state.count[v] == 0) return false;
    }
    ComputeThresholds(block, n, state);
    FlagAgainstBand(block, n, state);
    ReplaceOutsideBand(block, n, state);
    return true;
}

}  // namespace

bool Despike(BlockBuffer& block, const RangeLimits& limits) { return DespikeBlock(block, limits); }

bool Despike(StandardBlock& block, const RangeLimits& limits) { return DespikeBlock(block, limits); }

}  // namespace kelvara
