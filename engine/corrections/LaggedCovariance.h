#pragma once
// Covariances of two series of a block's positions at a lag, over the pairs
// where both hold a value, with those pairs' own means: the one quantity the
// time lag, the steady-state test and the random error all rest on.

#include <cstdint>

namespace kelvara {

// One series over a block's n positions. A position either holds a value or
// is a gap (a record that is not good, or one a shift moved out of the
// block). Values are kept as deviations from a reference near their mean, so
// that the sums below lose nothing to cancellation; a gap's deviation is 0.
struct Series {
    const double* deviation = nullptr;      // [count], 0 at gaps
    const std::uint8_t* present = nullptr;  // [count], 1 where a value is
    const int* gaps = nullptr;              // the gap positions, ascending
    int gapCount = 0;
    int count = 0;       // positions
    double total = 0.0;  // sum of the deviations
};

// The sum of deviation[0..count).
double SumOf(const double* deviation, int count);

struct LaggedMoment {
    double covariance;  // NaN when no pair
    int pairs;
};

// a(i) with b(i + lag) for lag = first, first + 1, ... (count of them, all
// >= 0; 0 <= i, i + lag < a.count), into out. Neighbouring lags are
// computed side by side, eight at a time: asking for them together is
// cheaper than one by one, and gives the same bits.
void LaggedCovariances(const Series& a, const Series& b, int first, int count, LaggedMoment* out);

// One lag.
inline LaggedMoment LaggedCovariance(const Series& a, const Series& b, int lag) {
    LaggedMoment moment;
    LaggedCovariances(a, b, lag, 1, &moment);
    return moment;
}

// a(i) with b(i) over the positions [begin, end) alone.
LaggedMoment RangeCovariance(const Series& a, const Series& b, int begin, int end);

// Either sign: a negative lag pairs a(i) with b(i + lag), which is b(j)
// with a(j - lag).
inline LaggedMoment SignedLaggedCovariance(const Series& a, const Series& b, int lag) {
    return lag >= 0 ? LaggedCovariance(a, b, lag) : LaggedCovariance(b, a, -lag);
}

// Sum of the products of a[0..count) and b[0..count).
double DotProduct(const double* a, const double* b, int count);

}  // namespace kelvara
