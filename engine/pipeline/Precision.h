#pragma once
// Every stored value is single precision; arithmetic is double precision and
// rounded once each time a value is stored.

namespace kelvara {

inline float Store(double value) { return static_cast<float>(value); }

// One step of a single-precision running sum.
inline double AddTo(float sum, float value) { return static_cast<double>(sum) + static_cast<double>(value); }

}  // namespace kelvara
