#pragma once
// Kelvara's command line: nothing, one file name, --help or --version. The
// last two are answered before the toolkit starts, so they need no display.

#include <optional>
#include <ostream>

namespace kelvara::app {

// Prints the usage or the version when that is all the command line asks
// for, and gives the exit status; nothing for any other command line.
std::optional<int> AnswerInfoOption(int argc, const char* const* argv, std::ostream& out);

}  // namespace kelvara::app
