#pragma once
// What kelvara-cli adds on standard error when a job ends: the summary, and
// the warnings of a run whose results hold no fluxes, in the command line's
// words (what to type to mend it).

#include <string>

#include "jobs/RunDiagnosis.h"

namespace kelvara::cli {

// "kelvara-cli: warning: no fluxes computed: ..." and a line a range
// rejection, each ending in a line feed.
std::string NoFluxWarning(const RunDiagnosis& diagnosis);

// Why a fit over data that gave no usable half hour was refused, with the
// same hint.
std::string NoDataReason(const RunDiagnosis& diagnosis);

}  // namespace kelvara::cli
