#pragma once
// The standard-methods batch: every raw file named in a list file, each its
// own stream, into its own results file named by the raw file plus ".s1w"
// (double rotation) or ".sfw" (planar fit).

#include <filesystem>
#include <memory>
#include <optional>

#include "jobs/BatchJob.h"
#include "jobs/JobPort.h"
#include "jobs/RunTally.h"

namespace kelvara {

struct StandardJobState;

class StandardBatchJob {
public:
    StandardBatchJob();
    ~StandardBatchJob();
    StandardBatchJob(const StandardBatchJob&) = delete;
    StandardBatchJob& operator=(const StandardBatchJob&) = delete;

    // True when the batch ended with "Processing Finished!", false after any
    // failure message. The inputs are the default batch's.
    bool Run(const BatchInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // What the last batch did with its data, over all its files.
    const RunTally& Tally() const { return tally_; }

private:
    std::unique_ptr<StandardJobState> state_;
    RunTally tally_;
};

}  // namespace kelvara
