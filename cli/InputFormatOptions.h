#pragma once
// The options that say how a processing command reads its raw files'
// columns: --columns, --good-status and --no-unit-check, each read once into
// the InputFormat the jobs take.

#include "io/InputFormat.h"

namespace CLI {
class App;
}

namespace kelvara::cli {

// Adds the three options to a subcommand; a text that does not read is a
// usage error naming the problem.
void AddInputFormatOptions(CLI::App& command, InputFormat& format);

}  // namespace kelvara::cli
