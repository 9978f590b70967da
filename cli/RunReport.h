#pragma once
// What a finished run or batch adds on the terminal: a one-line summary of
// what it did with the data, and a warning when no half hour got fluxes.

#include <string>

#include "jobs/RunTally.h"

namespace kelvara::cli {

// "Summary: 46 half hours written (2 rejected), 1 short one skipped; ..."
std::string RunSummary(const RunTally& tally);

// What the warning may add beyond the tally.
struct NoFluxContext {
    std::string goodStatus = "0-13";  // the status rule in force
    // No column map was given, and the raw file's header names a
    // record-number column: --columns auto likely reads it.
    bool suggestAutoColumns = false;
};

// One line naming the likely cause when the run wrote no fluxes at all
// (no half hour had enough usable records, or each was rejected); empty when
// some half hour got fluxes.
std::string NoFluxWarning(const RunTally& tally, const NoFluxContext& context = {});

}  // namespace kelvara::cli
