// kelvara-cli: the flux jobs and the append job for scripts and servers.

#include <cstdio>
#include <exception>

#include "CommandLine.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interruption.h"
#include "Terminal.h"
#include "TerminalPort.h"

int main(int argc, char** argv) {
    using namespace kelvara::cli;
    try {
        EndCleanlyOnInterruption();
        const auto parsed = ParseCommandLine(argc, argv);
        if (const int* exitStatus = std::get_if<int>(&parsed)) return *exitStatus;
        const Invocation& invocation = std::get<Invocation>(parsed);
        // Live progress is for a person watching; the summary is for logs too.
        const bool watched = !invocation.quiet && IsTerminal(stderr);
        TerminalPort port(stderr, watched, invocation.quiet);
        return RunCommand(invocation, port, stderr, !invocation.quiet);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelvara-cli: %s\n", error.what());
        return kJobFailedExitStatus;
    }
}
