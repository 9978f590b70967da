#pragma once
// kelvara-cli batch over a list of several files, timed with one worker and
// with several, so that the gain of the parallel batch can be read off.

#include <filesystem>
#include <string>
#include <vector>

namespace kelvara::bench {

struct BatchTiming {
    int jobs = 1;
    double seconds = 0.0;  // best of the repeats
    int exitCode = 0;      // of the last run that did not end with 0, else 0
};

// Times "kelvara-cli batch LIST --jobs N --quiet --output-dir DIR" for each
// N of jobs, the best of repeat runs each.
std::vector<BatchTiming> TimeBatch(const std::string& cli, const std::filesystem::path& list,
                                   const std::filesystem::path& outputDir, const std::vector<int>& jobs, int repeat);

}  // namespace kelvara::bench
