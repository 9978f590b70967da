#pragma once
// `fs = auto`: the sampling frequency from the time stamps of a file's first
// records.

#include <span>
#include <string>

namespace kelvara {

// 1 / the median step between the records' times (seconds, in record
// order), rounded to whole Hz. Loggers that stamp whole seconds repeat a
// stamp: a step is then the time between two different stamps over the
// records it spans. False, with problem set, when the times hold fewer than
// two different stamps or give less than 1 Hz.
bool EstimateSamplingFrequency(std::span<const double> seconds, double& fs, std::string& problem);

}  // namespace kelvara
