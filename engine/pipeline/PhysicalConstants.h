#pragma once
// Constants of the flux formulas, each at the precision the results files
// were always computed with. Some look off (273.16, the specific heat in the
// CO2 correction): they define the columns existing results files hold.

namespace kelvara::constants {

inline constexpr double kKelvinOffset = 273.16;
inline constexpr double kWaterMolarMassKg = 0.018;     // kg mol-1
inline constexpr double kWaterMolarMassG = 18.0;       // g mol-1
inline constexpr double kGasConstant = 0.0083143;      // kJ mol-1 K-1
inline constexpr double kDryAirGasConstant = 0.28704;  // kJ kg-1 K-1
inline constexpr double kSonicHumidityCoefficient = 0.32;
// Milli-units in one unit: g in a kg, mmol in a mol, ug in a mg.
inline constexpr double kMilliPerUnit = 1000.0;

inline constexpr float kSpecificHeatOfAir = 1004.67f;  // J kg-1 K-1
inline constexpr float kLatentHeat = 2440.0f;          // J g-1
inline constexpr float kMilliPerUnitSingle = 1000.0f;
inline constexpr float kCO2MolarMassSingle = 44.0f;
inline constexpr double kCO2MolarMass = 44.0;

}  // namespace kelvara::constants
