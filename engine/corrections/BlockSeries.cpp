#include "corrections/BlockSeries.h"

#include <algorithm>

#include "pipeline/WideVectors.h"

namespace kelvara {

namespace {

// The block's variable of each series (rotated u, v, w: the measured ones).
constexpr Variable kVariableOf[] = {kU, kV, kW, kU, kV, kW, kTs, kCO2, kH2O};

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

// Rotating deviations rotates the records: the frame's offset cancels. The
// deviations are formed here as Deviations forms them, not read back, and
// all three axes come from one pass over the samples.
KELVARA_WIDE_VECTORS void Rotated(const double (&R)[3][3], const float* const (&sample)[3], const double (&mean)[3],
                                  const std::uint8_t* __restrict present, int n, double* __restrict ur,
                                  double* __restrict vr, double* __restrict wr) {
    const float* __restrict u = sample[0];
    const float* __restrict v = sample[1];
    const float* __restrict w = sample[2];
    for (int i = 0; i < n; ++i) {
        const bool good = present[i] != 0;
        const double du = good ? static_cast<double>(u[i]) - mean[0] : 0.0;
        const double dv = good ? static_cast<double>(v[i]) - mean[1] : 0.0;
        const double dw = good ? static_cast<double>(w[i]) - mean[2] : 0.0;
        ur[i] = R[0][0] * du + R[0][1] * dv + R[0][2] * dw;
        vr[i] = R[1][0] * du + R[1][1] * dv + R[1][2] * dw;
        wr[i] = R[2][0] * du + R[2][1] * dv + R[2][2] * dw;
    }
}

// A series of the block's positions and gaps over the deviations.
Series BlockSeries(const double* deviation, int n, int gapCount, CorrectionWorkspace& workspace) {
    return Series{deviation,          workspace.Present(kBlockPresence), workspace.Gaps(kBlockPresence), gapCount, n,
                  SumOf(deviation, n)};
}

// The measured series s as deviations of its variable from the mean.
void SetDeviations(const StandardBlock& block, const BlockMoments& moments, int s, int gapCount,
                   CorrectionWorkspace& workspace) {
    double* deviation = workspace.Deviation(s);
    Deviations(block.sample[kVariableOf[s]], workspace.Present(kBlockPresence), block.count,
               moments.mean[kVariableOf[s]], deviation);
    workspace.series[s] = BlockSeries(deviation, block.count, gapCount, workspace);
}

}  // namespace

void PrepareBlockSeries(const StandardBlock& block, const BlockMoments& moments, const FrameRotation& frame,
                        CorrectionWorkspace& workspace) {
    const int n = block.count;
    std::uint8_t* present = workspace.Present(kBlockPresence);
    MarkGoodRecords(block, present);
    const int gapCount = ListGaps(present, n, workspace.Gaps(kBlockPresence));
    const float* const wind[3] = {block.sample[kU], block.sample[kV], block.sample[kW]};
    const double windMean[3] = {moments.mean[kU], moments.mean[kV], moments.mean[kW]};
    Rotated(frame.R, wind, windMean, present, n, workspace.Deviation(kSeriesUr), workspace.Deviation(kSeriesVr),
            workspace.Deviation(kSeriesWr));
    for (const int s : {kSeriesUr, kSeriesVr, kSeriesWr}) {
        workspace.series[s] = BlockSeries(workspace.Deviation(s), n, gapCount, workspace);
    }
    for (const int s : {kSeriesTs, kSeriesCO2, kSeriesH2O}) SetDeviations(block, moments, s, gapCount, workspace);
    workspace.series[kSeriesU] = Series{};  // not yet: see PrepareMeasuredWind
}

void PrepareMeasuredWind(const StandardBlock& block, const BlockMoments& moments, CorrectionWorkspace& workspace) {
    if (workspace.series[kSeriesU].deviation != nullptr) return;
    const int gapCount = workspace.series[kSeriesWr].gapCount;
    for (const int s : {kSeriesU, kSeriesV, kSeriesW}) SetDeviations(block, moments, s, gapCount, workspace);
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
