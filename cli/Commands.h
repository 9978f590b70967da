#pragma once
// The three jobs as commands: each returns the program's exit status.

#include <cstdio>

#include "CommandLine.h"
#include "jobs/JobPort.h"

namespace kelvara::cli {

inline constexpr int kJobFinishedExitStatus = 0;
inline constexpr int kJobFailedExitStatus = 1;
// A run or batch that finished without fluxes for any half hour: a script
// should not take its results for data.
inline constexpr int kNoFluxesExitStatus = 3;

// Errors found before a job starts (an unreadable range file) and what a run
// or batch adds at its end (the summary when asked for, a warning) go to
// errors.
int RunCommand(const CommandLine& commandLine, JobPort& port, std::FILE* errors, bool summary);

}  // namespace kelvara::cli
