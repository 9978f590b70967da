#include "BatchRun.h"

#include <algorithm>

#include "ChildRun.h"

namespace kelvara::bench {

std::vector<BatchTiming> TimeBatch(const std::string& cli, const std::filesystem::path& list,
                                   const std::filesystem::path& outputDir, const std::vector<int>& jobs, int repeat) {
    std::vector<BatchTiming> timings;
    for (const int n : jobs) {
        const std::string command = ShellQuote(cli) + " batch " + ShellQuote(list.string()) + " --jobs " +
                                    std::to_string(n) + " --quiet --output-dir " + ShellQuote(outputDir.string()) +
                                    " > /dev/null 2>&1";
        BatchTiming timing{n, 0.0, 0};
        for (int i = 0; i < repeat; ++i) {
            const ChildResult run = RunChild(command);
            if (run.exitCode != 0) timing.exitCode = run.exitCode;
            timing.seconds = i == 0 ? run.seconds : std::min(timing.seconds, run.seconds);
        }
        timings.push_back(timing);
    }
    return timings;
}

}  // namespace kelvara::bench
