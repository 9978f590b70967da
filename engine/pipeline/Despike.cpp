#include "pipeline/Despike.h"

#include <cmath>

#include "pipeline/Precision.h"

namespace kelvara {

namespace {

constexpr double kSpikeThreshold = 6.0;

// Per-variable working values of one despike. The passes run record by
// record over all seven variables at once, so the seven running sums (each
// still in index order) overlap instead of waiting on one another.
struct DespikeState {
    float minimum[kVariableCount];
    float maximum[kVariableCount];
    float sum[kVariableCount] = {};
    int count[kVariableCount] = {};
    float m1[kVariableCount];
    float th[kVariableCount];
    double lower[kVariableCount];
    double upper[kVariableCount];
};

// The passes are templates on the block type, so that the default block and
// the standard one run the very same arithmetic on their own array layouts.

// Only samples strictly inside the range limits set the first mean and the
// threshold.
template <class Block>
void ScreenSamples(const Block& block, int n, DespikeState& s) {
    for (int i = 0; i < n; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            const float x = block.sample[v][i];
            if (InRange(x, s.minimum[v], s.maximum[v])) {
                s.sum[v] = Store(AddTo(s.sum[v], x));
                ++s.count[v];
            }
        }
    }
}

template <class Block>
void ComputeThresholds(const Block& block, int n, DespikeState& s) {
    float squares[kVariableCount] = {};
    for (int v = 0; v < kVariableCount; ++v) s.m1[v] = Store(static_cast<double>(s.sum[v]) / s.count[v]);
    for (int i = 0; i < n; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            const float x = block.sample[v][i];
            if (InRange(x, s.minimum[v], s.maximum[v])) {
                const double deviation = static_cast<double>(x) - static_cast<double>(s.m1[v]);
                squares[v] = Store(static_cast<double>(squares[v]) + deviation * deviation);
            }
        }
    }
    for (int v = 0; v < kVariableCount; ++v) {
        s.th[v] = Store(kSpikeThreshold * std::sqrt(static_cast<double>(squares[v]) / s.count[v]));
    }
}

// Flags every sample against the band m1 +- th (inclusive, inside the range
// limits or not) and sums the samples inside it for the second mean.
template <class Block>
void FlagAgainstBand(Block& block, int n, DespikeState& s) {
    float sum[kVariableCount] = {};
    int count[kVariableCount] = {};
    for (int v = 0; v < kVariableCount; ++v) {
        s.lower[v] = static_cast<double>(s.m1[v]) - static_cast<double>(s.th[v]);
        s.upper[v] = static_cast<double>(s.m1[v]) + static_cast<double>(s.th[v]);
    }
    for (int i = 0; i < n; ++i) {
        for (int v = 0; v < kVariableCount; ++v) {
            const double x = block.sample[v][i];
            const bool inBand = s.lower[v] <= x && x <= s.upper[v];
            block.flag[v][i] = inBand ? 1 : 0;
            if (inBand) {
                sum[v] = Store(static_cast<double>(sum[v]) + x);
                ++count[v];
            }
        }
    }
    for (int v = 0; v < kVariableCount; ++v) {
        s.sum[v] = sum[v];
        s.count[v] = count[v];
    }
}

// Out-of-band samples take the second mean; the band keeps its width.
template <class Block>
void ReplaceOutsideBand(Block& block, int n, const DespikeState& s) {
    for (int v = 0; v < kVariableCount; ++v) {
        const float m2 = Store(static_cast<double>(s.sum[v]) / s.count[v]);
        const double lower = static_cast<double>(m2) - static_cast<double>(s.th[v]);
        const double upper = static_cast<double>(m2) + static_cast<double>(s.th[v]);
        float* x = block.sample[v];
        for (int i = 0; i < n; ++i) {
            const double value = x[i];
            if (value > upper || value < lower) x[i] = m2;
        }
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
    ScreenSamples(block, n, state);
    for (int v = 0; v < kVariableCount; ++v) block.inRange[v] = state.count[v];
    for (const int count : state.count) {
        if (count == 0) return false;
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
