#pragma once
// One half-hour averaging block: its samples, keep-flags and block means.

#include <cstdint>

#include "pipeline/GoodRecords.h"
#include "pipeline/KeepFlags.h"
#include "pipeline/Variable.h"

namespace kelvara {

inline constexpr int kBlockCapacity = 18000;

// Means of the air properties over the block's good records.
struct AirMeans {
    float rho_d;  // dry air density
    float rho;    // moist air density
    float chi_v;  // water vapour mole fraction
    float n_a;    // molar density of air
};

struct BlockBuffer {
    int count = 0;

    // Measured samples, indexed [variable][record].
    float sample[kVariableCount][kBlockCapacity];
    // Air temperature in kelvin, written for good records only.
    float Tc[kBlockCapacity];
    // Keep-flags, 1 = kept, 0 = spike.
    std::int16_t flag[kVariableCount][kBlockCapacity];

    // Samples strictly inside their range limits, per variable: set by
    // Despike, also when it rejects the block.
    int inRange[kVariableCount];

    // Block means over the good records.
    float mean[kVariableCount];
    float meanTc;
    AirMeans air;

    // A record is good when all seven of its flags are set.
    bool IsGood(int i) const { return AllFlagsSet(flag, i); }
    // Records whose seven flags are all set (valid after Despike).
    int GoodRecordCount() const { return CountGoodRecords(*this); }

    float* U() { return sample[kU]; }
    float* V() { return sample[kV]; }
    float* W() { return sample[kW]; }
    const float* U() const { return sample[kU]; }
    const float* V() const { return sample[kV]; }
    const float* W() const { return sample[kW]; }
};

}  // namespace kelvara
