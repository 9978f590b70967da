#pragma once
// Where the separators of a record line are, as bit masks (bit i for the
// character at p + i), found for many characters at once: with SSE2, which
// every x86-64 processor has, sixteen characters an instruction. Elsewhere
// kSeparatorMasks is false and the callers find the separators one by one.

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define KELVARA_SEPARATOR_MASKS 1
#else
#define KELVARA_SEPARATOR_MASKS 0
#endif

namespace kelvara::separators {

// The separators of a time stamp among 32 characters (bits 32 and up clear).
struct TimeStampMasks {
    std::uint64_t space = 0;
    std::uint64_t colon = 0;
    std::uint64_t comma = 0;
    std::uint64_t lineFeed = 0;
};

// The separators of the values among 64 characters.
struct ValueMasks {
    std::uint64_t comma = 0;
    std::uint64_t lineFeed = 0;
};

#if KELVARA_SEPARATOR_MASKS

inline constexpr bool kSeparatorMasks = true;

namespace detail {

inline __m128i Load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

inline std::uint64_t Equal16(__m128i chars, char c) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chars, _mm_set1_epi8(c))));
}

}  // namespace detail

// p[0..31] must be readable.
inline TimeStampMasks FindTimeStampSeparators(const char* p) {
    using detail::Equal16;
    const __m128i low = detail::Load16(p);
    const __m128i high = detail::Load16(p + 16);
    TimeStampMasks masks;
    masks.space = Equal16(low, ' ') | Equal16(high, ' ') << 16;
    masks.colon = Equal16(low, ':') | Equal16(high, ':') << 16;
    masks.comma = Equal16(low, ',') | Equal16(high, ',') << 16;
    masks.lineFeed = Equal16(low, '\n') | Equal16(high, '\n') << 16;
    return masks;
}

// p[0..63] must be readable.
inline ValueMasks FindValueSeparators(const char* p) {
    using detail::Equal16;
    ValueMasks masks;
    for (int part = 0; part < 4; ++part) {
        const __m128i chars = detail::Load16(p + 16 * part);
        masks.comma |= Equal16(chars, ',') << (16 * part);
        masks.lineFeed |= Equal16(chars, '\n') << (16 * part);
    }
    return masks;
}

#else

inline constexpr bool kSeparatorMasks = false;

// Never called where kSeparatorMasks is false; they exist so that the
// callers compile everywhere.
inline TimeStampMasks FindTimeStampSeparators(const char*) { return {}; }
inline ValueMasks FindValueSeparators(const char*) { return {}; }

#endif

}  // namespace kelvara::separators
