#pragma once
// The time lag between the sonic and the gas analyser: the shift of a gas
// series against the rotated w at which their covariance is largest.

#include "corrections/LaggedCovariance.h"
#include "corrections/SiteSettings.h"

namespace kelvara {

enum class Gas { CO2, H2O };

// The search window and the default, in records.
struct LagWindow {
    int min = 0;
    int max = 0;
    int fallback = 0;  // the default lag
};

// Seconds to records at fs: rounded, halves away from zero, and held to
// +-1e9 so that any setting stays an int.
int LagRecords(double seconds, double fs);

// The window of the gas: as set, or `auto`: +-(2 s/m |s| + 0.3 s), |s| the
// analyser's distance from the sonic.
LagWindow ResolveLagWindow(const SiteSettings& site, Gas gas, double fs);

struct LagChoice {
    int used = 0;   // records; a lag L pairs w(i) with c(i + L)
    int found = 0;  // the lag the search found (the default's, for `constant`)
    bool usedDefault = false;
};

// The lag of the gas series against w by the method: the L in the window
// with the largest |cov| (the smallest L on a tie, 0 when none is above 0);
// `maxcov_default` takes the default instead when that L is on the edge.
LagChoice ChooseLag(const Series& w, const Series& gas, const LagWindow& window, LagMethod method);

}  // namespace kelvara
