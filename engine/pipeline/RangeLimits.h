#pragma once
// The screening limits: a minimum and a maximum for each measured variable.

#include <array>

#include "pipeline/Variable.h"

namespace kelvara {

inline constexpr int kRangeFieldCount = 2 * kVariableCount;

// 14 bounds, minimum then maximum, in the range file's line order.
struct RangeLimits {
    float U_Min, U_Max;
    float V_Min, V_Max;
    float W_Min, W_Max;
    float CO2_Min, CO2_Max;
    float H2O_Min, H2O_Max;
    float Ts_Min, Ts_Max;
    float P_Min, P_Max;

    // The bound of the range file's line `field` (0 to 13).
    float& Field(int field);
    float Field(int field) const;

    float Minimum(Variable variable) const { return Field(2 * variable); }
    float Maximum(Variable variable) const { return Field(2 * variable + 1); }
};

// The fields in line order, so a bound is reached by index without pointer
// arithmetic over the members.
inline constexpr std::array<float RangeLimits::*, kRangeFieldCount> kRangeLimitFields = {
    &RangeLimits::U_Min,  &RangeLimits::U_Max,   &RangeLimits::V_Min,   &RangeLimits::V_Max,   &RangeLimits::W_Min,
    &RangeLimits::W_Max,  &RangeLimits::CO2_Min, &RangeLimits::CO2_Max, &RangeLimits::H2O_Min, &RangeLimits::H2O_Max,
    &RangeLimits::Ts_Min, &RangeLimits::Ts_Max,  &RangeLimits::P_Min,   &RangeLimits::P_Max};

inline float& RangeLimits::Field(int field) { return this->*kRangeLimitFields[static_cast<std::size_t>(field)]; }
inline float RangeLimits::Field(int field) const { return this->*kRangeLimitFields[static_cast<std::size_t>(field)]; }

inline RangeLimits BuiltInRangeLimits() {
    return RangeLimits{-50.0f,  50.0f,  -50.0f, 50.0f,  -50.0f, 50.0f, 0.0f,
                       1500.0f, -20.0f, 100.0f, -50.0f, 50.0f,  30.0f, 150.0f};
}

// Strict on both sides: a value equal to a bound is out of range.
inline bool InRange(float value, float minimum, float maximum) { return minimum < value && value < maximum; }

}  // namespace kelvara
