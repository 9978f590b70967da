#pragma once
// The planar fit inside a Python call: on its own (kelvara.planefit) or
// before a run whose plane is "auto".

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "PythonPort.h"
#include "io/ColumnLayout.h"
#include "jobs/PlaneFitJob.h"

namespace kelvara::python {

// The report of a fit that was made, refused or not; nothing after a
// failure (kept by the port) or when cancelled.
std::optional<PlaneFitReport> FitOverFiles(const PlaneFitInputs& inputs, PythonPort& port,
                                           const std::optional<std::filesystem::path>& rangeFile);

// Why a refused fit was refused: a fit over data without a usable half hour
// says why, as a run without fluxes would.
std::string RefusalReason(const PlaneFitReport& report);

// The fitted plane b0, b1, b2 for a run over files (in the layouts found
// for them, or found here when none are given). Throws PlaneFitRefusal when
// the data do not determine it; nothing after a failure or when cancelled.
std::optional<std::array<double, 3>> FittedPlane(const std::vector<std::string>& files,
                                                 const std::vector<ColumnLayout>& layouts, const InputFormat& input,
                                                 PythonPort& port,
                                                 const std::optional<std::filesystem::path>& rangeFile);

}  // namespace kelvara::python
