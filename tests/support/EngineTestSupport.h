#pragma once
// Shared by the engine tests: exact float comparison and raw file text.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <string>

#include "pipeline/BlockBuffer.h"

namespace kelvara::testing {

inline std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// Compares the bit patterns, so a result that is merely close fails.
#define EXPECT_SAME_FLOAT(expected, actual)                                         \
    EXPECT_EQ(::kelvara::testing::Bits(expected), ::kelvara::testing::Bits(actual)) \
        << static_cast<double>(expected) << " vs " << static_cast<double>(actual)

// n equal records, every variable in range.
inline std::unique_ptr<BlockBuffer> Block(int n,
                                          const float (&values)[kVariableCount] = {3, 0.5f, 0.1f, 700, 10, 20, 98}) {
    auto block = std::make_unique<BlockBuffer>();
    for (int v = 0; v < kVariableCount; ++v) std::fill_n(block->sample[v], n, values[v]);
    block->count = n;
    return block;
}

// The four header lines a logger writes before its records.
inline std::string RawHeader(const char* eol = "\r\n") {
    std::string text;
    for (const char* line :
         {"\"TOA5\",\"tower\"", "\"TIMESTAMP\",\"Ux\",\"Uy\",\"Uz\",\"co2\",\"h2o\",\"Ts\",\"press\",\"diag\"",
          "\"TS\",\"m/s\"", "\"\",\"Smp\""})
        text += std::string(line) + eol;
    return text;
}

// count records at 10 Hz from hour:minute:00.0, fluctuating with w. Values
// are whole thousandths, so the text is exact and a twin of this generator
// in another language writes the same bytes.
inline std::string Tower(const char* date, int hour, int minute, int count, std::uint32_t seed) {
    std::string text;
    char line[192];
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int a = static_cast<int>((seed >> 16) % 601) - 300;
        seed = seed * 1103515245u + 12345u;
        const int b = static_cast<int>((seed >> 16) % 401) - 200;
        std::snprintf(line, sizeof line, "\"%s %02d:%02d:%02d.%d\",%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,0\r\n", date,
                      hour, minute + i / 600, i % 600 / 10, i % 10, (3000 - a + 2 * b) / 1e3, (500 + b - a) / 1e3,
                      (100 + a) / 1e3, (700000 - 4 * a + 3 * b) / 1e3, (10000 + a + b) / 1e3, (20000 + 2 * a + b) / 1e3,
                      (98000 + b) / 1e3);
        text += line;
    }
    return text;
}

}  // namespace kelvara::testing
