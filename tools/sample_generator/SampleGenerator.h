#pragma once
// Deterministic synthetic raw data files that look like a real flux tower's.

#include <cstdint>
#include <filesystem>
#include <string>

namespace kelvara::samples {

struct SampleOptions {
    std::uint64_t seed = 1;
    std::string start = "2024-06-01 00:00:00";  // "YYYY-MM-DD hh:mm:ss"
    double hours = 1.0;
    int hz = 10;                  // 10 or 20
    bool crlf = true;             // CR LF line ends, else LF
    double spikeRate = 0.0;       // fraction of records with a spike in one variable
    double badStatusRate = 0.0;   // fraction of records with a status outside 0..13
    double outOfRangeRate = 0.0;  // fraction of records with a value outside the default limits
    double gapRate = 0.0;         // fraction of records left out
};

// Empty when the options can be used, else a sentence naming the problem
// (start not "YYYY-MM-DD hh:mm:ss", hz not 10 or 20, hours or a rate out of
// bounds).
std::string CheckSampleOptions(const SampleOptions& options);

// Records the options ask for before gaps are left out: hours * 3600 * hz,
// rounded; 0 for unusable options.
std::int64_t PlannedRecordCount(const SampleOptions& options);

// The whole file as text (for small files in tests). Empty for unusable
// options.
std::string MakeRawSample(const SampleOptions& options);

// Streams the file to disk. False when it cannot be written or the options
// are unusable.
bool WriteRawSample(const std::filesystem::path& file, const SampleOptions& options);

}  // namespace kelvara::samples
