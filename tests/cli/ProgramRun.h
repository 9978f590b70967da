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
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Runs program with arguments in workDir; stdout and stderr pass through
// files in a scratch directory of their own.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::filesystem::path& workDir) {
    TempDir scratch;
    const std::filesystem::path outFile = scratch / "stdout";
    const std::filesystem::path errFile = scratch / "stderr";
    std::string command = "cd " + ShellQuoted(workDir.string()) + " && " + ShellQuoted(program);
    for (const std::string& argument : arguments) {
        command += ' ';
        command += ShellQuoted(argument);
    }
    command += " </dev/null >" + ShellQuoted(outFile.string()) + " 2>" + ShellQuoted(errFile.string());
    const int status = std::system(command.c_str());
    ProgramRun run;
    run.exitStatus = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    return run;
}

}  // namespace kelvara::testing
