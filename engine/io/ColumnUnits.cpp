#include "io/ColumnUnits.h"

#include <cctype>
#include <initializer_list>

#include "pipeline/Variable.h"

namespace kelvara {

namespace {

// Lower case, without blanks, carets, underscores, stars and the degree
// sign, so that "m s^-1", "M/S" and "m s-1" compare as "ms-1" / "m/s".
std::string Normalized(std::string_view unit) {
    std::string text;
    for (std::size_t i = 0; i < unit.size(); ++i) {
        const auto c = static_cast<unsigned char>(unit[i]);
        if (c == 0xC2 && i + 1 < unit.size() && static_cast<unsigned char>(unit[i + 1]) == 0xB0) {
            ++i;  // the UTF-8 degree sign
            continue;
        }
        if (c == 0xB0 || c == ' ' || c == '\t' || c == '^' || c == '_' || c == '*' || c == '"') continue;
        text.push_back(static_cast<char>(std::tolower(c)));
    }
    return text;
}

bool IsOneOf(const std::string& unit, std::initializer_list<std::string_view> spellings) {
    for (const std::string_view spelling : spellings) {
        if (unit == spelling) return true;
    }
    return false;
}

bool IsWindSpeed(const std::string& u) { return IsOneOf(u, {"m/s", "ms-1", "m/sec", "mps"}); }
bool IsMilligramDensity(const std::string& u) { return IsOneOf(u, {"mg/m3", "mgm-3", "mg/m-3"}); }
bool IsGramDensity(const std::string& u) { return IsOneOf(u, {"g/m3", "gm-3", "g/m-3"}); }
bool IsMillimoleDensity(const std::string& u) { return IsOneOf(u, {"mmol/m3", "mmolm-3", "mmol/m-3"}); }
bool IsCelsius(const std::string& u) { return IsOneOf(u, {"c", "degc", "celsius", "degreesc", "degreec"}); }
bool IsKelvin(const std::string& u) { return IsOneOf(u, {"k", "kelvin", "degk"}); }

}  // namespace

std::string_view ExpectedUnit(int variable) {
    switch (variable) {
        case kCO2:
            return "mg/m^3";
        case kH2O:
            return "g/m^3";
        case kTs:
            return "C";
        case kP:
            return "kPa";
        default:
            return "m/s";
    }
}

bool ConversionOf(int variable, std::string_view unitText, UnitConversion& conversion) {
    const std::string unit = Normalized(unitText);
    conversion = UnitConversion::None;
    switch (variable) {
        case kCO2:
            if (IsMilligramDensity(unit)) return true;
            conversion = UnitConversion::MillimoleToMilligramCO2;
            return IsMillimoleDensity(unit);
        case kH2O:
            if (IsGramDensity(unit)) return true;
            conversion = UnitConversion::MillimoleToGramH2O;
            return IsMillimoleDensity(unit);
        case kTs:
            if (IsCelsius(unit)) return true;
            conversion = UnitConversion::KelvinToCelsius;
            return IsKelvin(unit);
        case kP:
            if (unit == "kpa") return true;
            if (unit == "pa") {
                conversion = UnitConversion::PascalToKilopascal;
                return true;
            }
            conversion = UnitConversion::HectopascalToKilopascal;
            return unit == "hpa" || unit == "mbar";
        default:
            return IsWindSpeed(unit);
    }
}

std::string ConversionText(UnitConversion conversion) {
    switch (conversion) {
        case UnitConversion::None:
            return "";
        case UnitConversion::KelvinToCelsius:
            return "K to C";
        case UnitConversion::PascalToKilopascal:
            return "Pa to kPa";
        case UnitConversion::HectopascalToKilopascal:
            return "hPa to kPa";
        case UnitConversion::MillimoleToMilligramCO2:
            return "mmol/m^3 to mg/m^3";
        case UnitConversion::MillimoleToGramH2O:
            return "mmol/m^3 to g/m^3";
    }
    return "";
}

}  // namespace kelvara
