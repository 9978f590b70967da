#pragma once
// Eight characters of a text at a time, in one 64-bit word: finding a
// delimiter and converting a short run of digits without a loop over the
// characters. Little-endian byte order (the first character in the lowest
// byte); kByteWords tells whether this machine has it, and the callers keep
// a character loop for the others.

#include <bit>
#include <cstdint>
#include <cstring>

namespace kelvara::bytewords {

inline constexpr bool kByteWords = std::endian::native == std::endian::little;

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
inline constexpr std::uint64_t kLowSeven = 0x7F7F7F7F7F7F7F7Full;

inline std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The high bit of each byte that is zero, and of no other (exact, no false
// positives from neighbouring bytes).
inline std::uint64_t ZeroBytes(std::uint64_t word) { return ~(((word & kLowSeven) + kLowSeven) | word | kLowSeven); }

// The high bit of each byte that equals c.
inline std::uint64_t BytesEqual(std::uint64_t word, char c) {
    return ZeroBytes(word ^ (kOnes * static_cast<unsigned char>(c)));
}

// The high bit of each byte that is not an ASCII digit.
inline std::uint64_t NonDigitBytes(std::uint64_t word) {
    // Per byte, without carries between bytes: at least '0' sets the high
    // bit of the first, at most '9' that of the second; a byte of 0x80 or
    // more is no digit.
    const std::uint64_t atLeastZero = (word | kHighBits) - kOnes * '0';
    const std::uint64_t atMostNine = (kOnes * (0x80 + '9')) - (word & kLowSeven);
    return ~(atLeastZero & atMostNine & ~word) & kHighBits;
}

// The index of the byte whose high bit is the lowest one set in mask.
inline int FirstByte(std::uint64_t mask) { return std::countr_zero(mask) >> 3; }

// The value of eight digit characters, the first (most significant) in the
// lowest byte; zero bytes below the digits count as leading zeros.
inline std::uint64_t DigitsValue(std::uint64_t word) {
    word = (word & 0x0F0F0F0F0F0F0F0Full) * 2561 >> 8;
    word = (word & 0x00FF00FF00FF00FFull) * 6553601 >> 16;
    return (word & 0x0000FFFF0000FFFFull) * 42949672960001ull >> 32;
}

}  // namespace kelvara::bytewords
