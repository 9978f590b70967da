#pragma once
// Number texts read as the C library's atof and atoi read them, independent
// of the process locale.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvara {

namespace detail {

inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool IsDecimalDigit(char c) { return static_cast<unsigned>(c - '0') < 10u; }

// The common logger number, [-]digits[.digits], scanned once; each reader
// then decides whether the plain reading may take it. With kEndIsSentinel the
// character at end is known to be no digit (a line feed), so the digit loops
// run without a bounds check.
struct PlainDecimal {
    std::uint64_t mantissa = 0;  // wraps beyond 19 digits; such texts are refused
    std::ptrdiff_t integerDigits = 0;
    std::ptrdiff_t fractionDigits = 0;
    bool negative = false;
    const char* stop = nullptr;  // the first character after the number

    // At most 19 digits and a mantissa that a double holds exactly: one
    // correctly rounded division then gives what strtod gives.
    bool IsExact() const {
        const auto digits = integerDigits + fractionDigits;
        return digits > 0 && digits <= 19 && mantissa <= (std::uint64_t{1} << 53);
    }
    double Value() const {
        const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
        return negative ? -magnitude : magnitude;
    }
};

template <bool kEndIsSentinel>
inline bool MoreDigits(const char* q, const char* end) {
    if constexpr (kEndIsSentinel) {
        return IsDecimalDigit(*q);
    } else {
        return q < end && IsDecimalDigit(*q);
    }
}

template <bool kEndIsSentinel>
inline PlainDecimal ScanPlainDecimal(const char* p, const char* end) {
    PlainDecimal number;
    number.negative = p < end && *p == '-';
    if (number.negative) ++p;
    const char* q = p;
    while (MoreDigits<kEndIsSentinel>(q, end))
        number.mantissa = number.mantissa * 10 + static_cast<unsigned>(*q++ - '0');
    number.integerDigits = q - p;
    if (q < end && *q == '.') {
        const char* const fraction = ++q;
        while (MoreDigits<kEndIsSentinel>(q, end)) {
            number.mantissa = number.mantissa * 10 + static_cast<unsigned>(*q++ - '0');
        }
        number.fractionDigits = q - fraction;
    }
    number.stop = q;
    return number;
}

// A text that the plain reading takes whole gives exactly atof's value. An
// exponent or a hexadecimal "0x" after the digits is left to the general
// reading; any other trailing character ends the number, as in atof.
inline bool TryPlainDecimal(const char* p, const char* end, double& value) {
    if (end - p > 21) return false;
    const PlainDecimal number = ScanPlainDecimal<false>(p, end);
    if (!number.IsExact()) return false;
    if (number.stop < end && ((*number.stop | 0x20) == 'e' || (*number.stop | 0x20) == 'x')) return false;
    value = number.Value();
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
