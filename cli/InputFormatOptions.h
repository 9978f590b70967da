#pragma once
// The options that say how run and batch read their raw files' columns:
// --columns, --good-status and --no-unit-check.

#include <string>

#include "io/InputFormat.h"

namespace CLI {
class App;
}

namespace kelvara::cli {

struct InputFormatTexts {
    std::string columns;     // empty: the default layout
    std::string goodStatus;  // empty: 0-13
    bool noUnitCheck = false;
};

// Adds the three options to a processing subcommand; texts that do not read
// are usage errors.
void AddInputFormatOptions(CLI::App& command, InputFormatTexts& texts);

// The format the texts ask for (they were checked when parsed).
InputFormat InputFormatOf(const InputFormatTexts& texts);

}  // namespace kelvara::cli
