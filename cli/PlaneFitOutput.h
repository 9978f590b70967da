#pragma once
// The planar fit as the planefit command prints it: text for people, or one
// JSON object for programs.

#include <string>

#include "jobs/PlaneFitJob.h"

namespace kelvara::cli {

// The coefficients with their standard errors, a ready-to-paste
// "--planar-fit B0 B1 B2" line, the angles and fit statistics, then the
// blocks used and one line per excluded block. A refused fit gives only the
// blocks; its reason goes to the error stream.
std::string PlaneFitText(const PlaneFitReport& report);

std::string PlaneFitJson(const PlaneFitReport& report);

// "B0 B1 B2" to 7 significant digits, as the user types them.
std::string PlaneCoefficientsText(const PlaneFit& fit);

}  // namespace kelvara::cli
