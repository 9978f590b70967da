// kelvara-cli: the flux jobs and the append job for scripts and servers.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

#include "CommandLine.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interruption.h"
#include "Terminal.h"
#include "TerminalPort.h"

namespace {

using namespace kelvara::cli;

int Run(int argc, char** argv) {
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

// What went to standard output (a planar fit, help, the range limits) must
// have arrived: a full disk or a closed pipe is a failure, not a success.
bool StandardOutputWritten() {
    errno = 0;
    std::cout.flush();
    const bool written = !std::cout.fail() && std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    int error = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed) return true;
    if (error == 0) error = errno;
    std::fprintf(stderr, "kelvara-cli: standard output: %s\n", error != 0 ? std::strerror(error) : "the write failed");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int exitStatus = Run(argc, argv);
    if (!StandardOutputWritten() && exitStatus == kJobFinishedExitStatus) return kJobFailedExitStatus;
    return exitStatus;
}
