#include "io/NumberText.h"

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace kelvara {

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsHexDigit(char c) { return detail::IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Overflow and underflow: from_chars leaves the value alone, strtod gives
// the rounded (possibly infinite or subnormal) result. Rare, so a copy with
// the locale's decimal point is good enough.
double StrtodOutOfRange(std::string token) {
    const char* point = std::localeconv()->decimal_point;
    if (point != nullptr && std::strcmp(point, ".") != 0) {
        const auto dot = token.find('.');
        if (dot != std::string::npos) token.replace(dot, 1, point);
    }
    return std::strtod(token.c_str(), nullptr);
}

// The end of a hexadecimal floating text's mantissa and exponent. A "p"
// belongs to it only when a decimal digit follows, after at most one sign:
// "0x1p+-5" is 1, as strtod reads it (some from_chars read it as 2^-5).
const char* HexNumberEnd(const char* digits, const char* end) {
    const char* q = digits;
    while (q < end && IsHexDigit(*q)) ++q;
    if (q < end && *q == '.') {
        ++q;
        while (q < end && IsHexDigit(*q)) ++q;
    }
    if (q == end || (*q | 0x20) != 'p') return q;
    const char* exponent = q + 1;
    if (exponent < end && (*exponent == '+' || *exponent == '-')) ++exponent;
    if (exponent == end || !detail::IsDecimalDigit(*exponent)) return q;
    while (exponent < end && detail::IsDecimalDigit(*exponent)) ++exponent;
    return exponent;
}

double ParseHexMagnitude(const char* p, const char* end) {
    const char* digits = p + 2;  // after "0x"
    const bool hasMantissa =
        digits < end && (IsHexDigit(*digits) || (*digits == '.' && digits + 1 < end && IsHexDigit(digits[1])));
    if (!hasMantissa) return 0.0;  // strtod reads the "0" alone
    double value = 0.0;
    const auto result = std::from_chars(digits, HexNumberEnd(digits, end), value, std::chars_format::hex);
    if (result.ec == std::errc::result_out_of_range) {
        return StrtodOutOfRange("0x" + std::string(digits, result.ptr));
    }
    return result.ec == std::errc() ? value : 0.0;
}

// False when no number starts at p (strtod then gives +0, whatever the sign).
bool ParseMagnitude(const char* p, const char* end, double& magnitude) {
    magnitude = 0.0;
    if (p >= end || *p == '-' || *p == '+') return false;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        magnitude = ParseHexMagnitude(p, end);
        return true;
    }
    const auto result = std::from_chars(p, end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = StrtodOutOfRange(std::string(p, result.ptr));
        return true;
    }
    return result.ec == std::errc();
}

double GeneralAtof(const char* p, const char* end) {
    while (p < end && IsCSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    double magnitude = 0.0;
    if (!ParseMagnitude(p, end, magnitude)) return 0.0;
    return negative ? -magnitude : magnitude;
}

}  // namespace

double GeneralAtofText(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    // A C string ends at its first null character.
    if (const void* nul = std::memchr(p, '\0', text.size())) end = static_cast<const char*>(nul);
    return GeneralAtof(p, end);
}

int GeneralAtoiText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // strtol's saturation at the long range, then the conversion to int, as
    // the C library's atoi does.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && detail::IsDecimalDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
    }
    std::int64_t value;
    if (negative) {
        value = magnitude >= kLimit ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    } else {
        value = magnitude >= kLimit ? INT64_MAX : static_cast<std::int64_t>(magnitude);
    }
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

int FormatGeneral(float value, char* out) {
    // Locale-independent %g: six significant digits, at least two exponent
    // digits, inf / nan texts with their sign.
    const double promoted = static_cast<double>(value);
    const auto result = std::to_chars(out, out + 31, promoted, std::chars_format::general, 6);
    *result.ptr = '\0';
    return static_cast<int>(result.ptr - out);
}

}  // namespace kelvara
