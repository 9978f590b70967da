#pragma once
// The state of a progress bar: every port holds one and only draws it, so
// the stepping rule exists once.

#include <algorithm>

namespace kelvara {

struct ProgressBar {
    int lower = 0;
    int upper = 100;  // never below lower
    int step = 10;
    int position = 0;

    // The position is kept inside the new range.
    void SetRange(int newLower, int newUpper) {
        lower = newLower;
        upper = std::max(newLower, newUpper);
        SetPosition(position);
    }
    void SetStep(int newStep) { step = newStep; }
    void SetPosition(int newPosition) { position = std::clamp(newPosition, lower, upper); }
    // Never past the upper end: the bar stays full above it.
    void Step() {
        const long long next = static_cast<long long>(position) + step;
        position = static_cast<int>(std::clamp<long long>(next, lower, upper));
    }

    // How full the bar is, 0 to 1.
    double Fraction() const {
        return upper > lower ? static_cast<double>(position - lower) / static_cast<double>(upper - lower) : 0.0;
    }
};

}  // namespace kelvara
