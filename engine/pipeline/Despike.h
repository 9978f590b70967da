#pragma once
// Screening against the range limits and the 6-sigma spike test of one block.

#include "pipeline/BlockBuffer.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// False (and nothing changed but the in-range counts) when some variable has
// no sample strictly inside its range limits. Otherwise sets every keep-flag
// and replaces the samples outside the band by the variable's second mean.
bool Despike(BlockBuffer& block, const RangeLimits& limits);
// The same screening and spike test of a whole half hour of any length.
bool Despike(StandardBlock& block, const RangeLimits& limits);

}  // namespace kelvara
