#include "corrections/QualityFlags.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kelvara {

std::optional<int> TruncatedPercent(double percent) {
    if (std::isnan(percent)) return std::nullopt;
    if (percent >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(percent);
}

int TestClass(int percent) {
    static constexpr int kUpperBounds[] = {15, 30, 50, 75, 100, 250, 500, 1000};
    int cls = 1;
    for (const int bound : kUpperBounds) {
        if (percent <= bound) return cls;
        ++cls;
    }
    return cls;
}

std::optional<int> ClassOf(std::optional<int> percent) {
    if (!percent) return std::nullopt;
    return TestClass(*percent);
}

std::optional<int> WorseClass(std::optional<int> a, std::optional<int> b) {
    if (!a || !b) return std::nullopt;
    return std::max(*a, *b);
}

int QualityFlag(std::optional<int> steadyStateClass, std::optional<int> turbulenceClass) {
    if (!steadyStateClass || !turbulenceClass) return 2;
    const int worse = std::max(*steadyStateClass, *turbulenceClass);
    if (worse <= 2) return 0;
    return worse <= 5 ? 1 : 2;
}

}  // namespace kelvara
