#pragma once
// The fluxes of the standard methods: everything after Despike, from the
// rotated moments and an iterated air state, in double, each result rounded
// to single once.

#include "pipeline/BlockMoments.h"
#include "pipeline/Rotation.h"
#include "pipeline/StandardBlock.h"
#include "pipeline/StandardResult.h"

namespace kelvara {

// The air of the block's means. T comes from the sonic temperature by three
// passes of the vapour correction, then e and the densities once more.
struct AirState {
    double T;      // air temperature, K
    double rho_v;  // water vapour density, kg m-3
    double rho_d;  // dry air density, kg m-3
    double rho;    // moist air density, kg m-3
};

AirState ComputeAirState(const BlockMoments& moments);

// Despike must have passed the block with at least one good record.
StandardResult ComputeStandardFluxes(const StandardBlock& block, const RotationSettings& rotation);

}  // namespace kelvara
