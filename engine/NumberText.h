#pragma once
// Number texts read as the C library's atof and atoi read them, independent
// of the process locale.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara {

namespace detail {

inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool IsDecimalDigit(char c) { return static_cast<unsigned>(c - '0') < 10u; }

// The common logger text, [-]digits[.digits] of at most 19 digits with an
// exactly representable mantissa: one correctly rounded division gives what
// strtod gives. Anything else is left to the general reading.
inline bool TryPlainDecimal(const char* p, const char* end, double& value) {
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    if (end - p > 20) return false;
    if (end - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x') return false;
    std::uint64_t mantissa = 0;
    const char* q = p;
    while (q < end && IsDecimalDigit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
    const auto integerDigits = q - p;
    std::ptrdiff_t fractionDigits = 0;
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        while (q < end && IsDecimalDigit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
        fractionDigits = q - fraction;
    }
    if (integerDigits + fractionDigits == 0 || integerDigits + fractionDigits > 19) return false;
    if (q < end && (*q | 0x20) == 'e') return false;
    if (mantissa > (std::uint64_t{1} << 53)) return false;
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace detail

// Everything atof reads that the plain decimal reading does not take.
double GeneralAtofText(std::string_view text);

// atof: leading white space, optional sign, then a decimal or hexadecimal
// floating number, inf, infinity or nan; 0 when there is none.
inline double AtofText(std::string_view text) {
    double value;
    // A null character ends a plain decimal like any other non-digit.
    if (detail::TryPlainDecimal(text.data(), text.data() + text.size(), value)) return value;
    return GeneralAtofText(text);
}

// atof, then rounded to single precision, as every stored value is.
inline float AtofToFloat(std::string_view text) { return static_cast<float>(AtofText(text)); }

int GeneralAtoiText(std::string_view text);

// atoi: leading white space, optional sign, decimal digits; 0 when none.
inline int AtoiText(std::string_view text) {
    // Up to nine plain digits (hour, minute, status) need no overflow care.
    if (!text.empty() && detail::IsDecimalDigit(text[0])) {
        int value = 0;
        std::size_t i = 0;
        while (i < text.size() && i < 9 && detail::IsDecimalDigit(text[i])) value = value * 10 + (text[i++] - '0');
        if (i == text.size() || !detail::IsDecimalDigit(text[i])) return value;
    }
    return GeneralAtoiText(text);
}

// %g of a float (promoted to double), as glibc's printf writes it, into out
// (at least 32 characters). Returns the length.
int FormatGeneral(float value, char* out);

}  // namespace kelvara
