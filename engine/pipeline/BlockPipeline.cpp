#include "pipeline/BlockPipeline.h"

#include "pipeline/AirProperties.h"
#include "pipeline/Despike.h"
#include "pipeline/Fluxes.h"
#include "pipeline/Means.h"
#include "pipeline/StandardFluxes.h"

namespace kelvara {

namespace {

template <class Block>
BlockOutcome Screen(Block& block, const RangeLimits& limits) {
    if (!Despike(block, limits)) return BlockOutcome::Rejected;
    // Spikes of different variables on different records can leave no record
    // with all seven flags: nothing to average, so the block is rejected.
    if (block.GoodRecordCount() == 0) return BlockOutcome::Rejected;
    return BlockOutcome::Computed;
}

}  // namespace

BlockOutcome ScreenBlock(BlockBuffer& block, const RangeLimits& limits) { return Screen(block, limits); }

BlockOutcome ScreenBlock(StandardBlock& block, const RangeLimits& limits) { return Screen(block, limits); }

BlockOutcome ProcessBlock(BlockBuffer& block, const RangeLimits& limits, const RotationSettings& rotation,
                          FluxResult& result) {
    if (ScreenBlock(block, limits) == BlockOutcome::Rejected) return BlockOutcome::Rejected;
    ComputeAirProperties(block);
    ComputeMeans(block);
    Rotate(block, rotation);
    ComputeMeans(block);
    result = ComputeFluxes(block);
    return BlockOutcome::Computed;
}

BlockOutcome ProcessBlock(StandardBlock& block, const RangeLimits& limits, const RotationSettings& rotation,
                          StandardResult& result) {
    if (ScreenBlock(block, limits) == BlockOutcome::Rejected) return BlockOutcome::Rejected;
    result = ComputeStandardFluxes(block, rotation);
    return BlockOutcome::Computed;
}

}  // namespace kelvara
