#pragma once
// Spectral correction factors (Moncrieff et al. 1997; the block average
// after Moncrieff et al. 2004): how much of each covariance the instruments
// and the half hour's mean removal lose, from model cospectra.

#include "corrections/SiteSettings.h"

namespace kelvara {

// Each factor multiplies its covariance; 1 with `spectral = none`, NaN when
// the wind speed is 0.
struct SpectralFactors {
    double tau = 1.0;   // u'w', v'w'
    double heat = 1.0;  // w'Ts'
    double gas = 1.0;   // w'c' and w'q'
};

// windSpeed: the rotated mean wind (m/s); zL: z/L of the uncorrected
// fluxes, NaN when undefined (the unstable cospectra are then used).
SpectralFactors ComputeSpectralFactors(const SiteSettings& site, double windSpeed, double zL);

// The transfer of removing a block mean of T seconds at frequency n.
double BlockAverageTransfer(double n);

// The frequencies the factors sum over, n1 = 1/7200 Hz to 10 Hz, and their
// widths: index k of 1..500 (0 unused).
inline constexpr int kSpectralPoints = 500;
double SpectralFrequency(int k);

}  // namespace kelvara
