#pragma once
// kelvara-cli's command line: its subcommands and options, read into one
// Invocation.

#include <variant>

#include "Invocation.h"

namespace kelvara::cli {

// The invocation, or the exit status to end with when the command line was
// handled here: 0 after --help or --version, the usage status after a usage
// error (already explained on stderr).
std::variant<Invocation, int> ParseCommandLine(int argc, char** argv);

}  // namespace kelvara::cli
