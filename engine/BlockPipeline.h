#pragma once
// The per-block sequence shared by the single run and the batch.

#include <string_view>

#include "BlockBuffer.h"
#include "RangeLimits.h"

namespace kelvara {

struct RotationSettings {
    int choice = 0;  // 1 = planar fit, anything else = 2-axis rotation
    float b0 = 0.0f;
    float b1 = 0.0f;
    float b2 = 0.0f;
    bool IsPlanarFit() const { return choice == 1; }
};

// A block of fewer samples yields no results line.
inline constexpr int kMinimumBlockSamples = 5;

// The planar fit needs all three coefficient texts (emptiness is tested on
// the exact text: blanks count as given).
inline bool AnyPlaneCoefficientMissing(std::string_view b0, std::string_view b1, std::string_view b2) {
    return b0.empty() || b1.empty() || b2.empty();
}

enum class BlockOutcome {
    Rejected,  // screening failed, or no record kept all seven flags
    Computed,
};

// Despike, air properties, means, rotation, means again, fluxes.
BlockOutcome ProcessBlock(BlockBuffer& block, int n, const RangeLimits& limits,
                          const RotationSettings& rotation, FluxResult& result);

}  // namespace kelvara
