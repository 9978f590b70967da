#pragma once
// Number text the way a logger writes it, without printf or allocation.

#include <cmath>
#include <cstdint>

namespace kelvara::samples {

// Longest text WriteFixed can produce: sign, 10 digits, point, 6 decimals.
inline constexpr int kMaxFixedLength = 18;

// Writes the integer in decimal; returns the number of characters.
inline int WriteInteger(char* out, std::int64_t value) {
    char reversed[20];
    int length = 0;
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        reversed[length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int written = 0;
    if (negative) out[written++] = '-';
    while (length > 0) out[written++] = reversed[--length];
    return written;
}

// Writes value rounded to 'decimals' places (0 to 6), e.g. -0.567 or 701.23.
// A value that rounds to zero is written without a sign, as loggers do.
// Magnitudes are held below 1e9 so the text always fits kMaxFixedLength.
inline int WriteFixed(char* out, double value, int decimals) {
    static constexpr std::int64_t kScale[7] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    static constexpr double kLimit = 999999999.0;
    if (!(value > -kLimit)) value = -kLimit;  // also catches NaN
    if (value > kLimit) value = kLimit;
    const std::int64_t scale = kScale[decimals];
    const std::int64_t scaled = std::llround(value * static_cast<double>(scale));
    int written = 0;
    if (scaled < 0) out[written++] = '-';
    const std::uint64_t magnitude =
        scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    written += WriteInteger(out + written, static_cast<std::int64_t>(magnitude / static_cast<std::uint64_t>(scale)));
    if (decimals > 0) {
        out[written++] = '.';
        std::uint64_t fraction = magnitude % static_cast<std::uint64_t>(scale);
        for (int i = decimals - 1; i >= 0; --i) {
            out[written + i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        written += decimals;
    }
    return written;
}

}  // namespace kelvara::samples
