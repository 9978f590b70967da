#pragma once
// The batch as the desktop dialog runs it: one file after another on the
// caller's thread, with the status texts of its method.

#include <filesystem>
#include <optional>

#include "jobs/BatchJob.h"
#include "jobs/BatchStatusTexts.h"

namespace kelvara::testing {

class DesktopBatch {
public:
    // True when the batch ended with "Processing Finished!".
    bool Run(const BatchInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt) {
        const auto statusTexts = MakeBatchStatusTexts(inputs.methods, port);
        return job_.Run(inputs, port, rangeFile, statusTexts.get()) == BatchJob::End::Finished;
    }
    const RunTally& Tally() const { return job_.Tally(); }

private:
    BatchJob job_;
};

}  // namespace kelvara::testing
