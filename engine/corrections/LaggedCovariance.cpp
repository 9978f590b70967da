#include "corrections/LaggedCovariance.h"

#include <algorithm>
#include <limits>

namespace kelvara {

double SumOf(const double* deviation, int count) {
    double sum = 0.0;
    for (int i = 0; i < count; ++i) sum += deviation[i];
    return sum;
}

// Eight running sums, so that the additions do not wait on one another and
// the compiler can keep them in vector registers: the lagged covariances
// are the corrections' one large cost.
double DotProduct(const double* a, const double* b, int count) {
    constexpr int kWays = 8;
    double sum[kWays] = {};
    int i = 0;
    for (; i + kWays <= count; i += kWays) {
        for (int k = 0; k < kWays; ++k) sum[k] += a[i + k] * b[i + k];
    }
    for (; i < count; ++i) sum[0] += a[i] * b[i];
    return ((sum[0] + sum[1]) + (sum[2] + sum[3])) + ((sum[4] + sum[5]) + (sum[6] + sum[7]));
}

// With the gaps of each series known, only the pairs that a gap breaks need
// a look: the pair count and the two pair sums follow from the totals less
// what the gaps and the ends remove, and the product sum needs no test at
// all, as a gap's deviation is 0.
LaggedMoment LaggedCovariance(const Series& a, const Series& b, int lag) {
    const int n = a.count;
    if (lag < 0 || lag >= n) return {std::numeric_limits<double>::quiet_NaN(), 0};
    const int span = n - lag;  // positions i = 0 .. span - 1 pair with i + lag

    // a's positions i >= span and b's positions j < lag have no partner.
    double sumA = a.total;
    for (int i = span; i < n; ++i) sumA -= a.deviation[i];
    double sumB = b.total;
    for (int j = 0; j < lag; ++j) sumB -= b.deviation[j];

    const int* aGapsEnd = std::lower_bound(a.gaps, a.gaps + a.gapCount, span);
    const int* bGapsBegin = std::lower_bound(b.gaps, b.gaps + b.gapCount, lag);
    int pairs = span - static_cast<int>(aGapsEnd - a.gaps) - static_cast<int>(b.gaps + b.gapCount - bGapsBegin);
    // A gap of b removes its partner of a from a's sum; a gap of a does the
    // same to b; a pair with gaps on both sides was subtracted twice.
    for (const int* g = bGapsBegin; g != b.gaps + b.gapCount; ++g) {
        const int i = *g - lag;
        sumA -= a.deviation[i];
        if (a.present[i] == 0) ++pairs;
    }
    for (const int* g = a.gaps; g != aGapsEnd; ++g) sumB -= b.deviation[*g + lag];

    if (pairs <= 0) return {std::numeric_limits<double>::quiet_NaN(), 0};
    const double products = DotProduct(a.deviation, b.deviation + lag, span);
    const double count = pairs;
    const double meanA = sumA / count;
    const double meanB = sumB / count;
    return {products / count - meanA * meanB, pairs};
}

}  // namespace kelvara
