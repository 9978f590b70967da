#include <cmath>

#include "BlockStatistics.h"
#include "Precision.h"

namespace kelvara {

namespace {

constexpr double kSpikeThreshold = 6.0;

struct Screening {
    float sum = 0.0f;
    int count = 0;
};

// Only samples strictly inside the range limits set the first mean and the
// threshold.
Screening ScreenVariable(const float* x, int n, float minimum, float maximum) {
    Screening screening;
    for (int i = 0; i < n; ++i) {
        if (InRange(x[i], minimum, maximum)) {
            screening.sum = Store(AddTo(screening.sum, x[i]));
            ++screening.count;
        }
    }
    return screening;
}

float SpikeThreshold(const float* x, int n, float minimum, float maximum, float m1, int count) {
    float squares = 0.0f;
    for (int i = 0; i < n; ++i) {
        if (InRange(x[i], minimum, maximum)) {
            const double deviation = static_cast<double>(x[i]) - static_cast<double>(m1);
            squares = Store(static_cast<double>(squares) + deviation * deviation);
        }
    }
    return Store(kSpikeThreshold * std::sqrt(static_cast<double>(squares) / count));
}

// Flags every sample against the band m1 +- th (inclusive) and returns the
// mean of the samples inside it.
float FlagAgainstBand(const float* x, std::int16_t* flag, int n, float m1, float th) {
    const double lower = static_cast<double>(m1) - static_cast<double>(th);
    const double upper = static_cast<double>(m1) + static_cast<double>(th);
    float sum = 0.0f;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const double value = x[i];
        if (lower <= value && value <= upper) {
            flag[i] = 1;
            sum = Store(static_cast<double>(sum) + value);
            ++count;
        } else {
            flag[i] = 0;
        }
    }
    return Store(static_cast<double>(sum) / count);
}

// Out-of-band samples take the second mean; the band keeps its width.
void ReplaceOutsideBand(float* x, int n, float m2, float th) {
    const double lower = static_cast<double>(m2) - static_cast<double>(th);
    const double upper = static_cast<double>(m2) + static_cast<double>(th);
    for (int i = 0; i < n; ++i) {
        const double value = x[i];
        if (value > upper || value < lower) x[i] = m2;
    }
}

}  // namespace

bool Despike(BlockBuffer& block, int n, const RangeLimits& limits) {
    const float* bounds = &limits.U_Min;
    Screening screening[kVariableCount];
    for (int v = 0; v < kVariableCount; ++v) {
        screening[v] = ScreenVariable(block.sample[v], n, bounds[2 * v], bounds[2 * v + 1]);
    }
    for (const Screening& s : screening) {
        if (s.count == 0) return false;
    }
    for (int v = 0; v < kVariableCount; ++v) {
        float* x = block.sample[v];
        const float minimum = bounds[2 * v];
        const float maximum = bounds[2 * v + 1];
        const float m1 = Store(static_cast<double>(screening[v].sum) / screening[v].count);
        const float th = SpikeThreshold(x, n, minimum, maximum, m1, screening[v].count);
        const float m2 = FlagAgainstBand(x, block.flag[v], n, m1, th);
        ReplaceOutsideBand(x, n, m2, th);
    }
    return true;
}

int CountGoodRecords(const BlockBuffer& block, int n) {
    int good = 0;
    for (int i = 0; i < n; ++i) good += block.IsGood(i) ? 1 : 0;
    return good;
}

}  // namespace kelvara
