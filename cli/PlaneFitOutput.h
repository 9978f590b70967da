#pragma once
// The planar fit as the planefit command prints it for programs: one JSON
// object.

#include <string>

#include "jobs/PlaneFitJob.h"

namespace kelvara::cli {

std::string PlaneFitJson(const PlaneFitReport& report);

}  // namespace kelvara::cli
