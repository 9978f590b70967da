// kelvara-cli: the flux jobs and the append job for scripts and servers.

#include <cstdio>
#include <exception>

#include "CommandLine.h"
#include "Commands.h"
#include "Interruption.h"
#include "Terminal.h"
#include "TerminalPort.h"

int main(int argc, char** argv) {
    using namespace kelvara::cli;
    try {
        EndCleanlyOnInterruption();
        CommandLine commandLine;
        if (const auto exitStatus = ParseCommandLine(argc, argv, commandLine)) return *exitStatus;
        // Live progress and the summary are for a person watching, not for logs.
        const bool watched = !commandLine.quiet && IsTerminal(stderr);
        TerminalPort port(stderr, watched, commandLine.quiet);
        return RunCommand(commandLine, port, stderr, watched);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelvara-cli: %s\n", error.what());
        return kJobFailedExitStatus;
    }
}
