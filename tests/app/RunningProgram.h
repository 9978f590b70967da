#pragma once
// A program started beside the tests on their display and closed as a
// window manager's close button closes it, so that it ends the way a user
// ends it. X11 only.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kelvara::testing {

class RunningProgram {
public:
    // Starts `program` with the test's environment and no shell in between.
    RunningProgram(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningProgram();  // kills a program still running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Asks its windows to close once it shows them and waits for the program
    // to end: false when it was still running after `timeout`.
    bool Close(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
};

}  // namespace kelvara::testing
