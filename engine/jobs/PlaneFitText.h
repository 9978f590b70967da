#pragma once
// The planar fit as people read it, in the command line's output and the
// desktop program's dialog alike.

#include <string>

#include "jobs/PlaneFitJob.h"

namespace kelvara {

// The coefficients with their standard errors, a ready-to-paste
// "--planar-fit B0 B1 B2" line, the angles and fit statistics, then the
// blocks used and one line per excluded block. A refused fit gives only the
// blocks: its reason is told apart.
std::string PlaneFitText(const PlaneFitReport& report);

// "B0 B1 B2" to 7 significant digits, as the user types them.
std::string PlaneCoefficientsText(const PlaneFit& fit);

// What the wind sectors are measured in, said beside them in the text and
// the JSON: not the compass bearing the wind comes from, but the direction
// the air moves toward, in the sonic's own axes.
struct SectorConvention {
    const char* axes;
    const char* direction;
    int widthDegrees;
};
inline constexpr SectorConvention kSectorConvention{"the sonic's own axes",
                                                    "atan2(v, u), where the air moves toward, from +u toward +v", 45};

}  // namespace kelvara
