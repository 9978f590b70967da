#include "corrections/BlockSeries.h"

#include <algorithm>

#include "corrections/WideVectors.h"

namespace kelvara {

namespace {

constexpr Variable kMeasured[] = {kU, kV, kW, kTs, kCO2, kH2O};
constexpr int kMeasuredSeries[] = {kSeriesU, kSeriesV, kSeriesW, kSeriesTs, kSeriesCO2, kSeriesH2O};

// The gap positions of a presence array, in order; returns their number.
int ListGaps(const std::uint8_t* present, int n, int* gaps) {
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (present[i] == 0) gaps[count++] = i;
    }
    return count;
}

// A record is good when all seven of its flags are set. The flags are read
// through local pointers that the byte-wide stores cannot change, so that
// the loop runs on vectors.
KELVARA_WIDE_VECTORS void MarkGoodRecords(const StandardBlock& block, std::uint8_t* __restrict present) {
    const std::int16_t* __restrict flag[kVariableCount];
    std::copy(std::begin(block.flag), std::end(block.flag), flag);
    for (int i = 0; i < block.count; ++i) {
        int good = 1;
        for (int v = 0; v < kVariableCount; ++v) good &= flag[v][i] != 0 ? 1 : 0;
        present[i] = static_cast<std::uint8_t>(good);
    }
}

KELVARA_WIDE_VECTORS void Deviations(const float* __restrict sample, const std::uint8_t* __restrict present, int n,
                                     double mean, double* __restrict deviation) {
    for (int i = 0; i < n; ++i) deviation[i] = present[i] != 0 ? static_cast<double>(sample[i]) - mean : 0.0;
}

// Rotating deviations rotates the records: the frame's offset cancels.
KELVARA_WIDE_VECTORS void Rotated(const double (&row)[3], const double* __restrict u, const double* __restrict v,
                                  const double* __restrict w, int n, double* __restrict rotated) {
    for (int i = 0; i < n; ++i) rotated[i] = row[0] * u[i] + row[1] * v[i] + row[2] * w[i];
}

}  // namespace

void PrepareBlockSeries(const StandardBlock& block, const BlockMoments& moments, const FrameRotation& frame,
                        CorrectionWorkspace& workspace) {
    const int n = block.count;
    std::uint8_t* present = workspace.Present(kBlockPresence);
    int* gaps = workspace.Gaps(kBlockPresence);
    MarkGoodRecords(block, present);
    const int gapCount = ListGaps(present, n, gaps);
    for (int k = 0; k < 6; ++k) {
        Deviations(block.sample[kMeasured[k]], present, n, moments.mean[kMeasured[k]],
                   workspace.Deviation(kMeasuredSeries[k]));
    }
    for (int axis = 0; axis < 3; ++axis) {
        Rotated(frame.R[axis], workspace.Deviation(kSeriesU), workspace.Deviation(kSeriesV),
                workspace.Deviation(kSeriesW), n, workspace.Deviation(kSeriesUr + axis));
    }
    for (int s = kSeriesU; s <= kSeriesH2O; ++s) {
        const double* deviation = workspace.Deviation(s);
        workspace.series[s] = Series{deviation, present, gaps, gapCount, n, SumOf(deviation, n)};
    }
}

void ShiftSeries(CorrectionWorkspace& workspace, int source, int shifted, int presenceSet, int lag) {
    const Series& from = workspace.series[source];
    // Unshifted, the series is its source: nothing to copy.
    if (lag == 0) {
        workspace.series[shifted] = from;
        return;
    }
    const int n = from.count;
    double* deviation = workspace.Deviation(shifted);
    std::uint8_t* present = workspace.Present(presenceSet);
    // Positions [begin, end) hold the records begin + lag ...; the rest are
    // gaps. The lag may be as large as an int: no i + lag is formed outside.
    const int begin = lag >= 0 ? 0 : std::min(-lag, n);
    const int end = lag >= 0 ? n - std::min(lag, n) : n;
    std::fill(deviation, deviation + begin, 0.0);
    std::fill(present, present + begin, std::uint8_t{0});
    if (end > begin) {
        std::copy(from.deviation + begin + lag, from.deviation + end + lag, deviation + begin);
        std::copy(from.present + begin + lag, from.present + end + lag, present + begin);
    }
    std::fill(deviation + std::max(begin, end), deviation + n, 0.0);
    std::fill(present + std::max(begin, end), present + n, std::uint8_t{0});
    int* gaps = workspace.Gaps(presenceSet);
    workspace.series[shifted] = Series{deviation, present, gaps, ListGaps(present, n, gaps), n, SumOf(deviation, n)};
}

}  // namespace kelvara
