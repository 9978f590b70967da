#pragma once
// The planar-fit coefficients from the data: every half-hour block of the
// raw files, read and screened as the default batch reads them, gives its
// unrotated mean wind; the blocks that show the sonic's tilt fit the plane.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/InputFormat.h"
#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"
#include "pipeline/PlaneFit.h"

namespace kelvara {

struct PlaneFitInputs {
    std::vector<std::string> files;  // raw files, each read on its own
    std::string listFile;            // more raw files, one name a line, after files; may be empty
    PlaneFitScreen screen;
    InputFormat input;  // the raw files' columns and status rule
    // The files' columns when already found (one per file, list included);
    // empty: the job finds them.
    std::vector<ColumnLayout> layouts;
};

struct ExcludedBlock {
    std::string time;  // "YYYY-MM-DD HH:MM", the end of the half hour
    std::string reason;
};

struct PlaneFitReport {
    PlaneFit fit;  // fit.ok false: refused, fit.refusal says why
    std::vector<ExcludedBlock> excluded;
    // A refused fit whose data gave no usable half hour at all: why, as a
    // run without fluxes tells it (the status rule, the columns).
    std::optional<RunDiagnosis> noData;
};

// The reason given for a block that Despike rejected or that kept no record.
inline constexpr const char* kRejectedBlockReason = "rejected";

// Nothing when an input could not be read (the message has been shown) or
// when the port asked the fit to stop.
std::optional<PlaneFitReport> RunPlaneFitJob(const PlaneFitInputs& inputs, JobPort& port,
                                             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

// The names the job reads: files, then the list's lines, each file once (a
// file named again is told and left out). Nothing when the list cannot be
// read (its message shown).
std::optional<std::vector<std::string>> PlaneFitFileNames(const PlaneFitInputs& inputs, JobPort& port);

}  // namespace kelvara
