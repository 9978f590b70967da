#pragma once
// The random error of a covariance (Finkelstein & Sims 2001): its variance
// from the lagged auto- and cross-covariances of the two series, summed over
// the integral time scale of their cross-correlation.

#include "corrections/LaggedCovariance.h"

namespace kelvara {

struct RandomErrorSettings {
    double fs;              // Hz
    double maxLagSeconds;   // ru_max_lag_s: the cross-correlation is searched this far
    double fallbackHeight;  // z - d, m: the time scale falls back to (z - d) / u
    double meanU;           // the rotated mean u, m/s
};

// The lagged covariances of w with itself, kept for every flux of a block:
// values[p] is known for p < known.
struct LagCache {
    double* values;
    int known = 0;
};

// The random error (the standard deviation) of the covariance of w and x,
// in the covariance's units; NaN when undefined (no pairs, or the fallback
// time scale with a mean u at or below 0). ww holds w's autocovariances
// between the fluxes of one block; scratch has room for one per position.
double CovarianceRandomError(const Series& w, const Series& x, const RandomErrorSettings& settings, LagCache& ww,
                             double* scratch);

}  // namespace kelvara
