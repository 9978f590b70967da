#pragma once
// The single run: one raw file, optionally completed by the file that follows
// it, into one results file.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "io/InputFormat.h"
#include "jobs/JobPort.h"
#include "jobs/RotationInputs.h"
#include "jobs/RunTally.h"

namespace kelvara {

struct SingleRunInputs {
    std::string firstFile;
    std::string secondFile;
    std::string outputFile;  // without the ".r1w" / ".rfw" suffix
    RotationInputs rotation;
    InputFormat input;  // the raw files' columns and status rule
};

struct JobState;
struct BlockBuffer;

class SingleRunJob {
public:
    SingleRunJob();
    ~SingleRunJob();
    SingleRunJob(const SingleRunJob&) = delete;
    SingleRunJob& operator=(const SingleRunJob&) = delete;

    // One press of "Process". True when the run ended with
    // "Processing Finished!", false after any failure message or "Re-Input".
    // rangeFile replaces range.ini of the Windows directory when given.
    bool Run(const SingleRunInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // What the last run did with its data.
    const RunTally& Tally() const { return tally_; }

private:
    std::unique_ptr<JobState> state_;
    // The block read while the one before is processed.
    std::unique_ptr<BlockBuffer> readAheadBlock_;
    RunTally tally_;
};

}  // namespace kelvara
