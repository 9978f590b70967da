#pragma once
// One half-hour averaging block and the results computed from it.

#include <cstdint>

namespace kelvara {

inline constexpr int kBlockCapacity = 18000;

// The measured variables, in the raw file's column order.
enum Variable : int { kU, kV, kW, kCO2, kH2O, kTs, kP, kVariableCount };

struct BlockBuffer {
    int count = 0;

    // Measured samples, indexed [variable][record].
    float sample[kVariableCount][kBlockCapacity];
    // Air temperature in kelvin, written for good records only.
    float Tc[kBlockCapacity];
    // Keep-flags, 1 = kept, 0 = spike.
    std::int16_t flag[kVariableCount][kBlockCapacity];

    // Block means over the good records.
    float mean[kVariableCount];
    float meanTc;

    // Air-property means.
    float m_rho_d;
    float m_rho;
    float m_chi_v;
    float m_n_a;

    // A record is good when all seven of its flags are set.
    bool IsGood(int i) const {
        for (int v = 0; v < kVariableCount; ++v) {
            if (flag[v][i] == 0) return false;
        }
        return true;
    }

    float* U() { return sample[kU]; }
    float* V() { return sample[kV]; }
    float* W() { return sample[kW]; }
    const float* U() const { return sample[kU]; }
    const float* V() const { return sample[kV]; }
    const float* W() const { return sample[kW]; }
};

// One block's results in the order of the results file's columns 2 to 17.
struct FluxResult {
    float ustar;
    float tau;
    float ave_CO2;
    float ave_H2O;
    float ave_P;
    float ave_Ts;
    float ave_Tc;
    float ave_U;
    float ave_V;
    float ave_W;
    float Hs;
    float co2wplLE;
    float co2wplH;
    float LE_leuning;
    float Fc_leuning;
    int Records;
};

}  // namespace kelvara
