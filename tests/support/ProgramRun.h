#pragma once
// Runs a built program through the shell, as a user or script would, and
// collects its exit status and output. POSIX shells only.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"

namespace kelvara::testing {

struct ProgramRun {
    int exitStatus = -1;
    std::string out, err;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ShellCommand(const std::string& program, const std::vector<std::string>& arguments) {
    std::string command = ShellQuoted(program);
    for (const std::string& argument : arguments) command += ' ' + ShellQuoted(argument);
    return command;
}

// stdin reads input (empty by default); stdout and stderr pass through files of a scratch directory.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& workDir, const std::filesystem::path& input = "/dev/null") {
    TempDir scratch;
    const std::string command = "cd " + ShellQuoted(workDir.string()) + " && " + ShellCommand(program, arguments) +
                                " <" + ShellQuoted(input.string()) + " >" + ShellQuoted((scratch / "out").string()) +
                                " 2>" + ShellQuoted((scratch / "err").string());
    const int status = std::system(command.c_str());
    return {status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(scratch / "out"),
            ReadFile(scratch / "err")};
}

}  // namespace kelvara::testing
