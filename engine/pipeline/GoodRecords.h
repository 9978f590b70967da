#pragma once
// Which records of a block are good (all seven keep-flags set), a stretch
// at a time, in a loop the compiler turns into SIMD code.

#include <cstdint>

#include "pipeline/Variable.h"

namespace kelvara {

// good[k] = 1 when record first + k has all seven flags set, else 0, for
// k from 0 to count - 1.
template <class Block>
void MarkGoodRecords(const Block& block, int first, int count, std::uint8_t* good) {
    const std::int16_t* const u = block.flag[kU] + first;
    const std::int16_t* const v = block.flag[kV] + first;
    const std::int16_t* const w = block.flag[kW] + first;
    const std::int16_t* const co2 = block.flag[kCO2] + first;
    const std::int16_t* const h2o = block.flag[kH2O] + first;
    const std::int16_t* const ts = block.flag[kTs] + first;
    const std::int16_t* const p = block.flag[kP] + first;
    for (int k = 0; k < count; ++k) {
        good[k] = static_cast<std::uint8_t>((u[k] != 0) & (v[k] != 0) & (w[k] != 0) & (co2[k] != 0) & (h2o[k] != 0) &
                                            (ts[k] != 0) & (p[k] != 0));
    }
}

// Records marked at a time: their marks and what a stage keeps of them
// stay in the first-level cache.
inline constexpr int kGoodStretch = 256;

// Calls take(first, count, good) for the block's records in stretches of
// at most kGoodStretch, in record order, good[k] marking record first + k.
template <class Block, class Take>
void ForEachStretch(const Block& block, Take take) {
    std::uint8_t good[kGoodStretch];
    for (int first = 0; first < block.count; first += kGoodStretch) {
        const int count = block.count - first < kGoodStretch ? block.count - first : kGoodStretch;
        MarkGoodRecords(block, first, count, good);
        take(first, count, static_cast<const std::uint8_t*>(good));
    }
}

// The records of the block whose seven flags are all set.
template <class Block>
int CountGoodRecords(const Block& block) {
    int total = 0;
    ForEachStretch(block, [&total](int, int count, const std::uint8_t* good) {
        for (int k = 0; k < count; ++k) total += good[k];
    });
    return total;
}

}  // namespace kelvara
