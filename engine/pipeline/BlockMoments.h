#pragma once
// Means and covariances of a whole half hour, in double over its good
// records: the moments the standard methods rotate.

#include "pipeline/StandardBlock.h"
#include "pipeline/Variable.h"

namespace kelvara {

inline constexpr int kWindComponents = 3;  // kU, kV, kW

struct BlockMoments {
    int count = 0;  // N, the good records
    double mean[kVariableCount] = {};
    // cov[a][b] for a wind component a and any variable b but P: two-pass,
    // divided by N. The wind block is symmetric.
    double cov[kWindComponents][kP] = {};
};

// Plain sums in record order over the good records (Despike must have run
// and left at least one). The means are the sums divided by N; the
// covariances sum the products of the deviations from them.
BlockMoments ComputeBlockMoments(const StandardBlock& block);

}  // namespace kelvara
