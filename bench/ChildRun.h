#pragma once
// Times a program run end to end as a child process.

#include <string>

namespace kelvara::bench {

struct ChildResult {
    int exitCode = -1;
    double seconds = 0.0;
};

// Runs the command line through the system's command interpreter.
ChildResult RunChild(const std::string& commandLine);

// The largest resident set of any child run so far, in KiB; -1 where the
// system does not tell.
long PeakChildRssKiB();

// Quotes a path for the command interpreter.
std::string ShellQuote(const std::string& text);

}  // namespace kelvara::bench
