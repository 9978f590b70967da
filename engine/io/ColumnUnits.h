#pragma once
// The units a logger's header may give a measured column, and the exact
// conversion of each into the unit the processing assumes.

#include <string>
#include <string_view>

namespace kelvara {

enum class UnitConversion {
    None,
    KelvinToCelsius,
    PascalToKilopascal,
    HectopascalToKilopascal,
    MillimoleToMilligramCO2,
    MillimoleToGramH2O,
};

// The unit the variable's values must have: "m/s", "mg/m^3", "g/m^3", "C", "kPa".
std::string_view ExpectedUnit(int variable);

// How a column of the variable in this unit converts; false for a unit
// that is neither the expected one (in any usual spelling) nor one of the
// convertible ones.
bool ConversionOf(int variable, std::string_view unit, UnitConversion& conversion);

// Once per value, in double, before the value is rounded to float.
inline double Convert(UnitConversion conversion, double value) {
    switch (conversion) {
        case UnitConversion::None:
            return value;
        case UnitConversion::KelvinToCelsius:
            return value - 273.15;
        case UnitConversion::PascalToKilopascal:
            return value / 1000.0;
        case UnitConversion::HectopascalToKilopascal:
            return value / 10.0;
        case UnitConversion::MillimoleToMilligramCO2:
            return value * 44.0095;
        case UnitConversion::MillimoleToGramH2O:
            return value * 0.01801528;
    }
    return value;
}

// "K to C", "Pa to kPa", ...; empty for None.
std::string ConversionText(UnitConversion conversion);

}  // namespace kelvara
