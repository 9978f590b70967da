#include "ValueAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kelvara::plot {

namespace {

struct Span {
    double low, high;
};

// The finite values' span with a margin; a flat or empty series gets one
// that shows it in the middle.
Span SpanOf(const std::vector<const std::vector<double>*>& series, AxisValues values) {
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (const auto* data : series) {
        for (double value : *data) {
            if (!std::isfinite(value)) continue;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (low > high) return {0.0, 1.0};
    double pad = (high - low) * 0.06;
    if (low == high) pad = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
    // A count that hardly changes still gets a whole number on each side.
    if (values == AxisValues::Counts) pad = std::max(pad, 1.0);
    return {low - pad, high + pad};
}

int TicksWithin(Span span, double step) {
    return static_cast<int>(std::floor(span.high / step) - std::ceil(span.low / step)) + 1;
}

// Plain decimals with as many places as the step needs; very large or very
// small numbers in exponent form, with as many digits as tell the ticks apart.
std::string Label(double value, int exponent, double largest) {
    char text[64];
    // Adding zero turns a -0 into 0.
    value += 0.0;
    if (largest < 1e7 && exponent >= -6) {
        std::snprintf(text, sizeof text, "%.*f", std::max(-exponent, 0), value);
    } else {
        const int digits = std::clamp(static_cast<int>(std::floor(std::log10(largest))) - exponent + 1, 1, 17);
        std::snprintf(text, sizeof text, "%.*g", digits, value);
    }
    return text;
}

}  // namespace

ValueAxis ValueAxisFor(const std::vector<const std::vector<double>*>& series, AxisValues values, int maxTicks) {
    maxTicks = std::max(maxTicks, 2);
    const Span span = SpanOf(series, values);
    ValueAxis axis;
    axis.low = span.low;
    axis.high = span.high;

    // The finest step of 1, 2 or 5 times a power of ten that keeps the
    // labelled ticks within the number asked for.
    int exponent = static_cast<int>(std::floor(std::log10((span.high - span.low) / maxTicks)));
    if (values == AxisValues::Counts) exponent = std::max(exponent, 0);
    int mantissa = 1;
    for (int attempt = 0; attempt < 12; ++attempt) {
        for (int candidate : {1, 2, 5}) {
            mantissa = candidate;
            axis.step = candidate * std::pow(10.0, exponent);
            if (TicksWithin(span, axis.step) <= maxTicks) break;
        }
        if (TicksWithin(span, axis.step) <= maxTicks) break;
        ++exponent;
    }
    if (values == AxisValues::Counts) {
        // Minor ticks on whole numbers only.
        axis.minorTicks = mantissa != 1 ? mantissa : (axis.step >= 10.0 ? 10 : 1);
    }

    const double first = std::ceil(span.low / axis.step), last = std::floor(span.high / axis.step);
    for (double i = first; i <= last && axis.ticks.size() <= static_cast<std::size_t>(maxTicks); ++i) {
        axis.ticks.push_back(i * axis.step);
    }
    const double largest = std::max(std::fabs(span.low), std::fabs(span.high));
    for (double tick : axis.ticks) axis.labels.push_back(Label(tick, exponent, largest));
    return axis;
}

std::size_t WidestLabel(const ValueAxis& axis) {
    std::size_t widest = 0;
    for (const std::string& label : axis.labels) widest = std::max(widest, label.size());
    return widest;
}

}  // namespace kelvara::plot
