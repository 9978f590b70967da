#pragma once
// What a finished run or batch tells about its data beyond its results: a
// one-line summary, why no half hour got fluxes, and which range limits
// rejected half hours.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "io/ColumnLayout.h"
#include "jobs/RunTally.h"
#include "pipeline/RangeLimits.h"

namespace kelvara {

// "Summary: 46 half hours written (2 rejected), 1 short one skipped; ..."
std::string RunSummary(const RunTally& tally);

// What would likely mend a run without fluxes; each front end words it its
// own way (a command-line option, a dialog).
enum class NoFluxHint {
    None,
    ColumnMap,    // a logger table read by position: its header names a record-number column
    StatusField,  // every record was dropped for its status
};

// What a job knows beyond its tally.
struct DiagnosisContext {
    std::string goodStatus = "0-13";  // the status rule in force
    // The columns read by position, and the first raw file's header, read
    // only when no half hour got fluxes: when it names a record-number
    // column, a column map likely reads the file.
    bool readsByPosition = true;
    std::filesystem::path firstRawFile;
    // Its columns: when a map reads no record at all, the lines may lack
    // the columns it names.
    ColumnLayout firstLayout;
    RangeLimits limits = BuiltInRangeLimits();
    std::string rangeSource = "built-in";  // where the limits came from, as the user knows it
};

struct RunDiagnosis {
    // Why no half hour got fluxes ("no half hour had 5 usable records; ..."),
    // empty when some did.
    std::string noFluxes;
    NoFluxHint hint = NoFluxHint::None;
    // One line a variable whose range rejected half hours:
    // "Ts: 17999 values above Ts-Max 4 (range.ini)".
    std::vector<std::string> rangeRejections;
};

RunDiagnosis DiagnoseRun(const RunTally& tally, const DiagnosisContext& context);

// Why no half hour got fluxes, with its hint in parentheses; askAuto is how
// the front end asks for the header's names ("--columns auto").
std::string NoFluxReason(const RunDiagnosis& diagnosis, std::string_view askAuto);

class JobPort;

// How a job that processed its files ends: "Processing Finished!", after a
// warning when half hours were rejected for their range limits, or, when no
// half hour got fluxes, the reason in its place.
void ConcludeJob(JobPort& port, const RunTally& tally, const DiagnosisContext& context);

}  // namespace kelvara
