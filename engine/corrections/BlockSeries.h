#pragma once
// The series the corrections run over: a half hour's records in order, the
// records that are not good as gaps, each variable as deviations from its
// good records' mean.

#include "corrections/CorrectionWorkspace.h"
#include "pipeline/BlockMoments.h"
#include "pipeline/FrameRotation.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// The presence set of the block's own series.
inline constexpr int kBlockPresence = 0;

// Fills u, v, w rotated into the frame, Ts, CO2, H2O as measured, and the
// block's gaps. The workspace must fit the block.
void PrepareBlockSeries(const StandardBlock& block, const BlockMoments& moments, const FrameRotation& frame,
                        CorrectionWorkspace& workspace);

// Fills u, v, w as measured, once per block after PrepareBlockSeries: only a
// shifted gas needs them (its covariances with them replace the standard
// methods'), so a block without a lag does without.
void PrepareMeasuredWind(const StandardBlock& block, const BlockMoments& moments, CorrectionWorkspace& workspace);

// The gas series moved by lag records: position i holds record i + lag, a
// gap where that record is not good or lies outside the block. With a lag
// of 0 the shifted series shares its source's arrays.
void ShiftSeries(CorrectionWorkspace& workspace, int source, int shifted, int presenceSet, int lag);

}  // namespace kelvara
