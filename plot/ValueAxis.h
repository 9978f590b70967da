#pragma once
// A value axis of the quick look: its range, round ticks and their labels.
// The labels are known before drawing, so the layout can make room for the
// widest and never let it run into the axis title.

#include <string>
#include <vector>

namespace kelvara::plot {

enum class AxisValues {
    Real,   // any value: ticks at 1, 2 or 5 times a power of ten
    Counts  // whole numbers: no tick between two integers
};

struct ValueAxis {
    double low = 0.0, high = 1.0;  // the range drawn
    double step = 1.0;             // between two labelled ticks
    int minorTicks = 0;            // intervals between labelled ticks (PLplot's nsub; 0: its choice)
    std::vector<double> ticks;     // the labelled values, low to high
    std::vector<std::string> labels;
};

// An axis over the finite values of every series, with a margin, and at
// most maxTicks labelled ticks (at least 2 are asked for).
ValueAxis ValueAxisFor(const std::vector<const std::vector<double>*>& series, AxisValues values, int maxTicks);

// The characters of the axis's longest label.
std::size_t WidestLabel(const ValueAxis& axis);

}  // namespace kelvara::plot
