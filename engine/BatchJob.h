#pragma once
// The batch: every raw file named in a list file, one results file each.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "JobPort.h"

namespace kelvara {

struct BatchInputs {
    std::string listFile;
    int rotationChoice = 0;  // 1 = planar fit, anything else = 2-axis rotation
    std::string b0Text;
    std::string b1Text;
    std::string b2Text;
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

private:
    std::unique_ptr<JobState> state_;
};

}  // namespace kelvara
