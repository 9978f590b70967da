#pragma once
// Friction velocity, sensible, latent and CO2 fluxes of one rotated block.

#include "pipeline/BlockBuffer.h"
#include "pipeline/FluxResult.h"

namespace kelvara {

// The block must have been rotated and its means computed again.
FluxResult ComputeFluxes(const BlockBuffer& block);

}  // namespace kelvara
