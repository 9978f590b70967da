#pragma once
// The numbers a logger writes, [-]digits[.digits] with at most seven
// digits, converted from one 64-bit word of their characters to the float
// that atof and then the float store give.

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#endif

#include "io/ByteWords.h"
#include "io/NumberText.h"

namespace kelvara {

namespace detail {

// The powers of ten, and their negatives for a negative number: a division
// rounds the same either side of zero, and 0 / -1 is -0, as atof reads "-0".
inline constexpr float kFloatPowersOfTen[2][8] = {{1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f},
                                                  {-1e0f, -1e1f, -1e2f, -1e3f, -1e4f, -1e5f, -1e6f, -1e7f}};

// An integer's float, in a register of its own: x86's conversion keeps
// the rest of its target register, which would chain each conversion to
// the division before it unless the register is cleared first.
inline float FloatOf(std::int32_t integer) {
#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
    return _mm_cvtss_f32(_mm_cvtepi32_ps(_mm_cvtsi32_si128(integer)));
#else
    return static_cast<float>(integer);
#endif
}

}  // namespace detail

// (negative ? -1 : 1) * mantissa / 10^fractionDigits as atof and then the
// float store give it, for a mantissa below 2^24 and at most seven fraction
// digits: both are exact floats, and a double has more than twice a float's
// digits, so the double quotient rounded to float is the float quotient.
// One single precision division.
inline float ShortDecimalToFloat(std::int32_t mantissa, int fractionDigits, int negative = 0) {
    return detail::FloatOf(mantissa) / detail::kFloatPowersOfTen[negative][fractionDigits];
}

// The field [text, text + length), all of it, as a short decimal; false
// for anything else (which the general reading then takes). Reads eight
// characters from the first digit, whatever the length.
inline bool ShortDecimalField(const char* text, int length, float& value) {
    if (length <= 0) return false;
    const int negative = text[0] == '-' ? 1 : 0;
    const char* const digits = text + negative;
    const int size = length - negative;
    if (size < 1 || size > 8) return false;
    const std::uint64_t word = bytewords::Load(digits);
    const std::uint64_t inField = ~std::uint64_t{0} >> (64 - 8 * size);
    const std::uint64_t nonDigits = bytewords::NonDigitBytes(word) & inField;
    int count = size;
    int fractionDigits = 0;
    std::uint64_t packed = word;
    if (nonDigits != 0) {
        // One point and nothing else.
        if ((nonDigits & (nonDigits - 1)) != 0) return false;
        const int point = bytewords::FirstByte(nonDigits);
        if (digits[point] != '.') return false;
        count = size - 1;
        fractionDigits = size - 1 - point;
        // The fraction's digits move down over the point.
        const std::uint64_t below = (nonDigits >> 7) - 1;
        packed = (word & below) | ((word >> 8) & ~below);
    }
    if (count == 0 || count > 7) return false;
    // The digits into the word's top bytes, zeros (leading zeros) below.
    const auto mantissa = static_cast<std::int32_t>(bytewords::DigitsValue(packed << (8 * (8 - count))));
    value = ShortDecimalToFloat(mantissa, fractionDigits, negative);
    return true;
}

}  // namespace kelvara
