#pragma once
// The direction the wind comes from, in degrees from north, from the
// sonic's own u and v and the way the sonic is mounted.

#include <cstdint>

#include "corrections/SiteSettings.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// The direction of the wind (u, v) of the sonic, in [0, 360).
double DirectionOfWind(double u, double v, const SiteSettings& site);

// Over the block's good records (present): the direction of the mean wind
// (meanU, meanV) with `vector`, the mean of the records' directions as unit
// vectors with `unit`.
double WindDirection(const StandardBlock& block, const std::uint8_t* present, double meanU, double meanV,
                     const SiteSettings& site);

}  // namespace kelvara
