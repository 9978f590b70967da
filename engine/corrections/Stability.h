#pragma once
// Stability: the Obukhov length of a half hour, z/L and the temperature
// scale, from its fluxes and its air.

#include "corrections/SiteSettings.h"
#include "pipeline/StandardFluxes.h"

namespace kelvara {

inline constexpr double kGravity = 9.81;  // m s-2

// z/L0 for the model cospectra, from the uncorrected u* and w'Ts' and the
// mean sonic temperature (degrees C); NaN when w'Ts' or u* is 0.
double SpectralStability(const SiteSettings& site, double meanSonicCelsius, double pressurePa, double ustar,
                         double wTs);

struct Stability {
    double L;      // Obukhov length, m; NaN when the flux of buoyancy is 0
    double zL;     // (z - d) / L
    double tstar;  // temperature scale -H / (rho cp u*), K; NaN when u* is 0
};

// From the corrected u* (m/s), H (W m-2) and E (kg m-2 s-1).
Stability ComputeStability(const SiteSettings& site, double ustar, double H, double E, const AirState& air,
                           double pressurePa);

}  // namespace kelvara
