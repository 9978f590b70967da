#pragma once
// The three jobs as commands: each returns the program's exit status.

#include <cstdio>

#include "CommandLine.h"
#include "jobs/JobPort.h"

namespace kelvara::cli {

inline constexpr int kJobFinishedExitStatus = 0;
inline constexpr int kJobFailedExitStatus = 1;

// Errors found before a job starts (an unreadable range file) go to errors.
int RunCommand(const CommandLine& commandLine, JobPort& port, std::FILE* errors);

}  // namespace kelvara::cli
