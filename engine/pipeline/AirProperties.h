#pragma once
// Air temperature and air-property means of one block's good records.

#include "pipeline/BlockBuffer.h"

namespace kelvara {

// Writes Tc of every good record and the block's AirMeans (Despike must have
// run and kept at least one record).
void ComputeAirProperties(BlockBuffer& block);

}  // namespace kelvara
