#pragma once
// The jobs as commands: each returns the program's exit status.

#include <cstdio>

#include "Invocation.h"
#include "TerminalPort.h"

namespace kelvara::cli {

// Errors found before a job starts (an unreadable range file) and what a run
// or batch adds at its end (the summary when asked for, why its results hold
// no fluxes) go to errors.
int RunCommand(const Invocation& invocation, TerminalPort& port, std::FILE* errors, bool summary);

}  // namespace kelvara::cli
