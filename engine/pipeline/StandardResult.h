#pragma once
// One half hour's results of the standard methods, in the order of the
// standard results file's columns 2 to 17.

#include <array>

namespace kelvara {

struct StandardResult {
    float ustar;    // m s-1
    float tau;      // kg m-1 s-2
    float ave_CO2;  // mg m-3
    float ave_H2O;  // g m-3
    float ave_P;    // kPa
    float ave_Ts;   // degrees C, sonic
    float ave_Ta;   // degrees C, air
    float ave_U;    // m s-1, rotated
    float ave_V;
    float ave_W;
    float H;        // W m-2
    float Fc_wplE;  // umol m-2 s-1
    float Fc_wplT;
    float LE;  // W m-2
    float Fc;  // umol m-2 s-1
    int Records;
};

inline constexpr std::array<float StandardResult::*, 15> kStandardResultFloats = {
    &StandardResult::ustar,   &StandardResult::tau,    &StandardResult::ave_CO2, &StandardResult::ave_H2O,
    &StandardResult::ave_P,   &StandardResult::ave_Ts, &StandardResult::ave_Ta,  &StandardResult::ave_U,
    &StandardResult::ave_V,   &StandardResult::ave_W,  &StandardResult::H,       &StandardResult::Fc_wplE,
    &StandardResult::Fc_wplT, &StandardResult::LE,     &StandardResult::Fc};

}  // namespace kelvara
