#include "corrections/CorrectionWorkspace.h"

#include <algorithm>
#include <climits>
#include <new>

namespace kelvara {

namespace {

// A 20 Hz half hour from the start, as the block has.
constexpr int kInitialCapacity = 36000;

template <class T>
std::unique_ptr<T[]> TryAllocate(int arrays, int capacity) {
    return std::unique_ptr<T[]>(new (std::nothrow)
                                    T[static_cast<std::size_t>(arrays) * static_cast<std::size_t>(capacity)]);
}

}  // namespace

// A failed allocation is reported, never thrown: a broken logger clock can
// make one half hour of millions of records.
bool CorrectionWorkspace::Fit(int count) {
    if (count <= capacity_) return true;
    int capacity = std::max(capacity_ == 0 ? kInitialCapacity : capacity_, 1);
    while (capacity < count) capacity = capacity > INT_MAX / 2 ? INT_MAX : 2 * capacity;
    auto deviations = TryAllocate<double>(kSeriesCount, capacity);
    auto present = TryAllocate<std::uint8_t>(kPresenceSets, capacity);
    auto gaps = TryAllocate<int>(kPresenceSets, capacity);
    auto gammas = TryAllocate<double>(kGammaArrays, capacity);
    if (!deviations || !present || !gaps || !gammas) return false;
    deviations_ = std::move(deviations);
    present_ = std::move(present);
    gaps_ = std::move(gaps);
    gammas_ = std::move(gammas);
    capacity_ = capacity;
    return true;
}

}  // namespace kelvara
