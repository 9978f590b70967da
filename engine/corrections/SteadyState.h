#pragma once
// The steady-state test (Foken & Wichura 1996): a half hour's covariance
// against the mean of its six sub-intervals' covariances.

#include "corrections/LaggedCovariance.h"

namespace kelvara {

// Percentages, not yet truncated; NaN where the test is undefined (a
// sub-interval without pairs, fewer than 6 positions, a covariance of 0).
struct SteadyStateResult {
    double tau;  // from u* of u'w' and v'w'
    double H;    // w'Ts'
    double LE;   // w'q'
    double FC;   // w'c'
};

// The rotated u, v, w, the sonic temperature and the shifted gases, all
// over the same positions.
struct SteadyStateSeries {
    const Series* u;
    const Series* v;
    const Series* w;
    const Series* ts;
    const Series* co2;
    const Series* h2o;
};

SteadyStateResult SteadyStateTest(const SteadyStateSeries& series);

}  // namespace kelvara
