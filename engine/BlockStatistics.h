#pragma once
// Screening, despiking, air properties, means and fluxes of one block.
// Stored values are floats; arithmetic is double, rounded at every store.

#include "BlockBuffer.h"
#include "RangeLimits.h"

namespace kelvara {

// False (and nothing changed) when some variable has no sample strictly
// inside its range limits.
bool Despike(BlockBuffer& block, int n, const RangeLimits& limits);

// Number of records whose seven flags are all set (valid after Despike).
int CountGoodRecords(const BlockBuffer& block, int n);

void ComputeAirProperties(BlockBuffer& block, int n);
void ComputeMeans(BlockBuffer& block, int n);
FluxResult ComputeFluxes(const BlockBuffer& block, int n);

}  // namespace kelvara
