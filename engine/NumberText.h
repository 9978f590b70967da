#pragma once
// Number texts read as the C library's atof and atoi read them, independent
// of the process locale.

#include <string_view>

namespace kelvara {

// atof: leading white space, optional sign, then a decimal or hexadecimal
// floating number, inf, infinity or nan; 0 when there is none.
double AtofText(std::string_view text);

// atof, then rounded to single precision, as every stored value is.
inline float AtofToFloat(std::string_view text) { return static_cast<float>(AtofText(text)); }

// atoi: leading white space, optional sign, decimal digits; 0 when none.
int AtoiText(std::string_view text);

// %g of a float (promoted to double), as glibc's printf writes it, into out
// (at least 32 characters). Returns the length.
int FormatGeneral(float value, char* out);

}  // namespace kelvara
