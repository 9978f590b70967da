#pragma once
// The per-block sequences: the default one, shared by the single run and the
// batch, and the standard methods' one beside it.

#include "pipeline/BlockBuffer.h"
#include "pipeline/FluxResult.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Rotation.h"
#include "pipeline/StandardBlock.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

// A block of fewer samples yields no results line.
inline constexpr int kMinimumBlockSamples = 5;

enum class BlockOutcome {
    Rejected,  // screening failed, or no record kept all seven flags
    Computed,
};

// Despike and the rejected-block rule, the screening both modes share:
// Computed means the block goes on to its fluxes.
BlockOutcome ScreenBlock(BlockBuffer& block, const RangeLimits& limits);
BlockOutcome ScreenBlock(StandardBlock& block, const RangeLimits& limits);

// Despike, air properties, means, rotation, means again, fluxes.
BlockOutcome ProcessBlock(BlockBuffer& block, const RangeLimits& limits, const RotationSettings& rotation,
                          FluxResult& result);

// The standard methods' whole half hour: the shared screening, then their
// own fluxes.
BlockOutcome ProcessBlock(StandardBlock& block, const RangeLimits& limits, const RotationSettings& rotation,
                          StandardResult& result);

}  // namespace kelvara
