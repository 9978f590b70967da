#include "corrections/LaggedCovariance.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "corrections/FourLanes.h"
#include "pipeline/WideVectors.h"

namespace kelvara {

namespace {

// Sixteen running sums, so that the additions do not wait on one another
// and the compiler keeps them in vector registers: the lagged covariances
// are the corrections' one large cost.
constexpr int kWays = 16;

double Total(const double (&sum)[kWays]) {
    double total = 0.0;
    for (const double s : sum) total += s;
    return total;
}

}  // namespace

KELVARA_WIDE_VECTORS double SumOf(const double* deviation, int count) {
    double sum[kWays] = {};
    int i = 0;
    for (; i + kWays <= count; i += kWays) {
        for (int k = 0; k < kWays; ++k) sum[k] += deviation[i + k];
    }
    for (; i < count; ++i) sum[0] += deviation[i];
    return Total(sum);
}

KELVARA_WIDE_VECTORS double DotProduct(const double* a, const double* b, int count) {
    double sum[kWays] = {};
    int i = 0;
    for (; i + kWays <= count; i += kWays) {
        for (int k = 0; k < kWays; ++k) sum[k] += a[i + k] * b[i + k];
    }
    for (; i < count; ++i) sum[0] += a[i] * b[i];
    return Total(sum);
}

namespace {

// A lag's product sum is added up one way, however many lags are asked
// with it: the positions in whole fours run in four lanes (the position
// modulo 4), the lanes are added in order, then the last few positions one
// by one. So a lag asked alone gives the bits it gives in a batch.
//
// sums[k] = sum of a[i] b[i + k] over i < span - k, k < Lags (span - k >= 1).
// The lags run side by side over the positions they all pair: each position
// of a is loaded once for all of them, and their running sums keep the
// adders busy.
template <int Lags>
KELVARA_ALWAYS_INLINE void GroupProducts(const double* a, const double* b, int span, double* sums) {
    const int shared = std::max(0, span - (Lags - 1)) / 4 * 4;
    FourLanes lanes[static_cast<std::size_t>(Lags)] = {};
    for (int i = 0; i < shared; i += 4) {
        FourLanes x;
        LoadLanes(x, a + i);
        for (int k = 0; k < Lags; ++k) {
            FourLanes y;
            LoadLanes(y, b + i + k);
            lanes[k] += x * y;
        }
    }
    for (int k = 0; k < Lags; ++k) {
        const int pairs = span - k;
        int i = shared;
        for (; i + 4 <= pairs; i += 4) {
            FourLanes x, y;
            LoadLanes(x, a + i);
            LoadLanes(y, b + i + k);
            lanes[k] += x * y;
        }
        double sum = SumOfLanes(lanes[k]);
        for (; i < pairs; ++i) sum += a[i] * b[i + k];
        sums[k] = sum;
    }
}

KELVARA_WIDE_VECTORS void EightLags(const double* a, const double* b, int span, double* sums) {
    GroupProducts<8>(a, b, span, sums);
}
KELVARA_WIDE_VECTORS void FourLags(const double* a, const double* b, int span, double* sums) {
    GroupProducts<4>(a, b, span, sums);
}
KELVARA_WIDE_VECTORS void TwoLags(const double* a, const double* b, int span, double* sums) {
    GroupProducts<2>(a, b, span, sums);
}
KELVARA_WIDE_VECTORS void OneLag(const double* a, const double* b, int span, double* sums) {
    GroupProducts<1>(a, b, span, sums);
}

// products[k] = sum of a[i] b[i + first + k] over the positions that pair,
// k < count, first + count <= n. Eight lags at a time; a few left over
// still go as a group of eight or four where the block has the lags, the
// extra ones dropped: a lag alone runs on one chain of additions and costs
// about what four lags side by side cost.
void LaggedProducts(const double* a, const double* b, int n, int first, int count, double* products) {
    for (int done = 0; done < count;) {
        const int left = count - done;
        const int lag = first + done;
        const int span = n - lag;  // the group's lags must all pair somewhere: lag + size <= n
        double group[8];
        int size = 1;
        if (left >= 5 && span >= 8) {
            EightLags(a, b + lag, span, group);
            size = 8;
        } else if (left >= 3 && span >= 4) {
            FourLags(a, b + lag, span, group);
            size = 4;
        } else if (left >= 2) {
            TwoLags(a, b + lag, span, group);
            size = 2;
        } else {
            OneLag(a, b + lag, span, group);
        }
        const int used = std::min(size, left);
        std::copy(group, group + used, products + done);
        done += used;
    }
}

// With the gaps of each series known, only the pairs that a gap breaks need
// a look: the pair count and the two pair sums follow from the totals less
// what the gaps and the ends remove, and the product sum needs no test at
// all, as a gap's deviation is 0.
LaggedMoment FromProducts(const Series& a, const Series& b, int lag, double products) {
    const int n = a.count;
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
    const double count = pairs;
    const double meanA = sumA / count;
    const double meanB = sumB / count;
    return {products / count - meanA * meanB, pairs};
}

}  // namespace

LaggedMoment RangeCovariance(const Series& a, const Series& b, int begin, int end) {
    const auto gapsIn = [&](const Series& s) {
        return std::pair{std::lower_bound(s.gaps, s.gaps + s.gapCount, begin),
                         std::lower_bound(s.gaps, s.gaps + s.gapCount, end)};
    };
    const auto [aFirst, aLast] = gapsIn(a);
    const auto [bFirst, bLast] = gapsIn(b);
    double sumA = SumOf(a.deviation + begin, end - begin);
    double sumB = SumOf(b.deviation + begin, end - begin);
    int pairs = end - begin - static_cast<int>(aLast - aFirst) - static_cast<int>(bLast - bFirst);
    for (const int* g = bFirst; g != bLast; ++g) {
        sumA -= a.deviation[*g];
        if (a.present[*g] == 0) ++pairs;
    }
    for (const int* g = aFirst; g != aLast; ++g) sumB -= b.deviation[*g];
    if (pairs <= 0) return {std::numeric_limits<double>::quiet_NaN(), 0};
    const double count = pairs;
    const double products = DotProduct(a.deviation + begin, b.deviation + begin, end - begin);
    return {products / count - (sumA / count) * (sumB / count), pairs};
}

void LaggedCovariances(const Series& a, const Series& b, int first, int count, LaggedMoment* out) {
    constexpr int kBatch = 32;
    const int n = a.count;
    while (count > 0) {
        // Lags of the block's length or more have no pairs.
        if (first >= n) {
            for (int k = 0; k < count; ++k) out[k] = {std::numeric_limits<double>::quiet_NaN(), 0};
            return;
        }
        const int batch = std::min({count, kBatch, n - first});
        double products[kBatch];
        LaggedProducts(a.deviation, b.deviation, n, first, batch, products);
        for (int k = 0; k < batch; ++k) out[k] = FromProducts(a, b, first + k, products[k]);
        first += batch;
        count -= batch;
        out += batch;
    }
}

}  // namespace kelvara
