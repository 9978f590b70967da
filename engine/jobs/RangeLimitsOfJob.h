#pragma once
// The range limits a job screens its blocks with, loaded when the job
// starts: a range file that fails to read stops the job (other limits would
// give other results), and a value that is no number is told.

#include <filesystem>
#include <optional>

#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"
#include "pipeline/RangeLimits.h"

namespace kelvara {

// False after the failure message. diagnosis learns the limits and where
// they came from.
bool LoadLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& rangeFile, JobPort& port,
                DiagnosisContext& diagnosis);

}  // namespace kelvara
