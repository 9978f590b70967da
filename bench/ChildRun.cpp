#include "ChildRun.h"

#include <chrono>
#include <cstdlib>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/wait.h>
#endif

namespace kelvara::bench {

ChildResult RunChild(const std::string& commandLine) {
    ChildResult result;
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(commandLine.c_str());
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
#if defined(__unix__) || defined(__APPLE__)
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#else
    result.exitCode = status;
#endif
    return result;
}

long PeakChildRssKiB() {
#if defined(__unix__) || defined(__APPLE__)
    rusage usage{};
    if (getrusage(RUSAGE_CHILDREN, &usage) != 0) return -1;
#if defined(__APPLE__)
    return usage.ru_maxrss / 1024;  // bytes there
#else
    return usage.ru_maxrss;
#endif
#else
    return -1;
#endif
}

std::string ShellQuote(const std::string& text) {
#if defined(_WIN32)
    return "\"" + text + "\"";
#else
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
#endif
}

}  // namespace kelvara::bench
