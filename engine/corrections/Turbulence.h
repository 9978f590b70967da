#pragma once
// The integral turbulence characteristics test (Foken et al. 2004; Thomas &
// Foken 2002): the measured sigma/scale ratios against their models.

namespace kelvara {

// Percentages, not yet truncated; NaN where the model or the measured ratio
// is undefined.
struct TurbulenceTest {
    double u;   // sigma_u / u*
    double w;   // sigma_w / u*
    double ts;  // sigma_Ts / |T*|
};

struct TurbulenceInputs {
    double zL;        // NaN when undefined
    double ustar;     // m/s
    double tstar;     // K
    double sigmaU;    // m/s, rotated
    double sigmaW;    // m/s
    double sigmaTs;   // K
    double latitude;  // degrees north
};

TurbulenceTest ComputeTurbulenceTest(const TurbulenceInputs& inputs);

}  // namespace kelvara
