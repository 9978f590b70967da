#pragma once
// One block's results, in the order of the results file's columns 2 to 17.

#include <array>

namespace kelvara {

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

// The fifteen float columns in file order, for code that walks them.
inline constexpr std::array<float FluxResult::*, 15> kFluxResultFloats = {
    &FluxResult::ustar,  &FluxResult::tau,      &FluxResult::ave_CO2, &FluxResult::ave_H2O,    &FluxResult::ave_P,
    &FluxResult::ave_Ts, &FluxResult::ave_Tc,   &FluxResult::ave_U,   &FluxResult::ave_V,      &FluxResult::ave_W,
    &FluxResult::Hs,     &FluxResult::co2wplLE, &FluxResult::co2wplH, &FluxResult::LE_leuning, &FluxResult::Fc_leuning};

}  // namespace kelvara
