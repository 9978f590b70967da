#include "pipeline/StandardBlock.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace kelvara {

StandardBlock::StandardBlock() { Allocate(kInitialCapacity); }

bool StandardBlock::Grow() {
    if (capacity_ >= INT_MAX / 2) return false;
    return Allocate(capacity_ == 0 ? kInitialCapacity : 2 * capacity_);
}

bool StandardBlock::AppendColumns(const float* const (&columns)[kVariableCount], int length) {
    while (length > capacity_ - count) {
        if (!Grow()) return false;
    }
    for (int v = 0; v < kVariableCount; ++v) {
        std::memcpy(sample[v] + count, columns[v], sizeof(float) * static_cast<std::size_t>(length));
    }
    count += length;
    return true;
}

// A broken logger clock can put a month of records into one half hour: a
// failed allocation is reported, never thrown.
bool StandardBlock::Allocate(int capacity) {
    const auto size = static_cast<std::size_t>(capacity);
    std::unique_ptr<float[]> samples(new (std::nothrow) float[kVariableCount * size]);
    std::unique_ptr<std::int16_t[]> flags(new (std::nothrow) std::int16_t[kVariableCount * size]);
    if (!samples || !flags) return false;
    for (int v = 0; v < kVariableCount; ++v) {
        float* moved = samples.get() + static_cast<std::size_t>(v) * size;
        if (count > 0) std::memcpy(moved, sample[v], sizeof(float) * static_cast<std::size_t>(count));
        sample[v] = moved;
        flag[v] = flags.get() + static_cast<std::size_t>(v) * size;
    }
    samples_ = std::move(samples);
    flags_ = std::move(flags);
    capacity_ = capacity;
    return true;
}

}  // namespace kelvara
