#include "BlockPipeline.h"

#include "BlockStatistics.h"
#include "Rotation.h"

namespace kelvara {

BlockOutcome ProcessBlock(BlockBuffer& block, int n, const RangeLimits& limits,
                          const RotationSettings& rotation, FluxResult& result) {
    if (!Despike(block, n, limits)) return BlockOutcome::Rejected;
    // Spikes of different variables on different records can leave no record
    // with all seven flags: nothing to average, so the block is rejected.
    if (CountGoodRecords(block, n) == 0) return BlockOutcome::Rejected;
    ComputeAirProperties(block, n);
    ComputeMeans(block, n);
    if (rotation.IsPlanarFit()) {
        RotatePlanarFit(block, n, rotation.b0, rotation.b1, rotation.b2);
    } else {
        RotateTwoAxis(block, n);
    }
    ComputeMeans(block, n);
    result = ComputeFluxes(block, n);
    return BlockOutcome::Computed;
}

}  // namespace kelvara
