#pragma once
// kelvara-cli in process, as main() runs it, for the targets that check
// whole commands: what it shows on the error stream is kept in memory.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "CommandLine.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "FuzzCheck.h"
#include "TerminalPort.h"

namespace kelvara::fuzz {

struct CliRun {
    std::optional<int> parseStatus;             // help, version or a usage error
    std::optional<cli::Invocation> invocation;  // what was run, when it parsed
    int exitStatus = 0;
    std::string shown;  // what the terminal port and the command wrote
};

// arguments[0] is the program's name.
inline CliRun RunCli(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    CliRun run;
    char* shown = nullptr;
    std::size_t shownLength = 0;
    std::FILE* stream = open_memstream(&shown, &shownLength);
    if (stream == nullptr) Fail("no memory stream");
    try {
        const auto parsed = cli::ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
        if (const int* status = std::get_if<int>(&parsed)) run.parseStatus = *status;
        if (const auto* invocation = std::get_if<cli::Invocation>(&parsed)) {
            run.invocation = *invocation;
            cli::TerminalPort port(stream, false, invocation->quiet);
            run.exitStatus = cli::RunCommand(*invocation, port, stream, false);
        }
    } catch (const std::exception& error) {
        // As main() reports it.
        std::fprintf(stream, "kelvara-cli: %s\n", error.what());
        run.exitStatus = cli::kJobFailedExitStatus;
    }
    std::fclose(stream);
    run.shown.assign(shown, shownLength);
    std::free(shown);
    return run;
}

// For LLVMFuzzerInitialize: help and usage texts go to the standard
// streams, which the targets do not read; the jobs' range.ini is that of
// the "Windows directory" `windows`.
inline void PrepareCli(const std::filesystem::path& windows) {
    static std::ostringstream discarded;
    std::cout.rdbuf(discarded.rdbuf());
    std::cerr.rdbuf(discarded.rdbuf());
    setenv("WINDIR", windows.c_str(), 1);
}

}  // namespace kelvara::fuzz
