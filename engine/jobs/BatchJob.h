#pragma once
// The batch: every raw file named in a list file, one results file each.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "io/InputFormat.h"
#include "jobs/JobPort.h"
#include "jobs/RotationInputs.h"
#include "jobs/RunTally.h"

namespace kelvara {

struct BatchInputs {
    std::string listFile;
    RotationInputs rotation;
    InputFormat input;  // the raw files' columns and status rule
};

struct JobState;

class BatchJob {
public:
    BatchJob();
    ~BatchJob();
    BatchJob(const BatchJob&) = delete;
    BatchJob& operator=(const BatchJob&) = delete;

    // One press of "Process". True when the batch ended with
    // "Processing Finished!", false after any failure message.
    bool Run(const BatchInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // What the last batch did with its data, over all its files.
    const RunTally& Tally() const { return tally_; }

private:
    std::unique_ptr<JobState> state_;
    RunTally tally_;
};

}  // namespace kelvara
