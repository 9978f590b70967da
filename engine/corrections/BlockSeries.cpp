#include "corrections/BlockSeries.h"

namespace kelvara {

namespace {

Series MakeSeries(const double* deviation, const std::uint8_t* present, const int* gaps, int gapCount, int count) {
    return Series{deviation, present, gaps, gapCount, count, SumOf(deviation, count)};
}

}  // namespace

void PrepareBlockSeries(const StandardBlock& block, const BlockMoments& moments, const FrameRotation& frame,
                        CorrectionWorkspace& workspace) {
    const int n = block.count;
    std::uint8_t* present = workspace.Present(kBlockPresence);
    int* gaps = workspace.Gaps(kBlockPresence);
    int gapCount = 0;
    for (int i = 0; i < n; ++i) {
        present[i] = block.IsGood(i) ? 1 : 0;
        if (present[i] == 0) gaps[gapCount++] = i;
    }

    constexpr Variable kMeasured[] = {kU, kV, kW, kTs, kCO2, kH2O};
    constexpr int kTargets[] = {kSeriesU, kSeriesV, kSeriesW, kSeriesTs, kSeriesCO2, kSeriesH2O};
    for (int k = 0; k < 6; ++k) {
        const float* sample = block.sample[kMeasured[k]];
        const double mean = moments.mean[kMeasured[k]];
        double* deviation = workspace.Deviation(kTargets[k]);
        for (int i = 0; i < n; ++i) deviation[i] = present[i] != 0 ? static_cast<double>(sample[i]) - mean : 0.0;
    }
    // Rotating deviations rotates the records: the frame's offset cancels.
    const auto& R = frame.R;
    const double* u = workspace.Deviation(kSeriesU);
    const double* v = workspace.Deviation(kSeriesV);
    const double* w = workspace.Deviation(kSeriesW);
    for (int axis = 0; axis < 3; ++axis) {
        double* rotated = workspace.Deviation(kSeriesUr + axis);
        for (int i = 0; i < n; ++i) rotated[i] = R[axis][0] * u[i] + R[axis][1] * v[i] + R[axis][2] * w[i];
    }
    for (int s = kSeriesU; s <= kSeriesH2O; ++s) {
        workspace.series[s] = MakeSeries(workspace.Deviation(s), present, gaps, gapCount, n);
    }
}

void ShiftSeries(CorrectionWorkspace& workspace, int source, int shifted, int presenceSet, int lag) {
    const Series& from = workspace.series[source];
    const int n = from.count;
    double* deviation = workspace.Deviation(shifted);
    std::uint8_t* present = workspace.Present(presenceSet);
    int* gaps = workspace.Gaps(presenceSet);
    int gapCount = 0;
    for (int i = 0; i < n; ++i) {
        // i + lag compared without forming it: lag may be as large as an int.
        const bool inside = lag >= 0 ? i < n - lag : i >= -lag;
        const int record = inside ? i + lag : 0;
        present[i] = inside ? from.present[record] : 0;
        deviation[i] = present[i] != 0 ? from.deviation[record] : 0.0;
        if (present[i] == 0) gaps[gapCount++] = i;
    }
    workspace.series[shifted] = MakeSeries(deviation, present, gaps, gapCount, n);
}

}  // namespace kelvara
