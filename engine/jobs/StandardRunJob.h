#pragma once
// The standard-methods run: raw files read as one stream, in the order
// given, into one results file OUT.s1w (double rotation) or OUT.sfw (planar
// fit).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/InputFormat.h"
#include "jobs/JobPort.h"
#include "jobs/RotationInputs.h"
#include "jobs/RunTally.h"

namespace kelvara {

struct StandardRunInputs {
    std::vector<std::string> files;  // one stream, in this order; the first must be given
    std::string outputFile;          // without the ".s1w" / ".sfw" suffix
    RotationInputs rotation;
    InputFormat input;  // the raw files' columns and status rule
};

struct StandardJobState;

class StandardRunJob {
public:
    StandardRunJob();
    ~StandardRunJob();
    StandardRunJob(const StandardRunJob&) = delete;
    StandardRunJob& operator=(const StandardRunJob&) = delete;

    // True when the run ended with "Processing Finished!", false after any
    // failure message. Asks no question: there is no second file to miss.
    // rangeFile replaces range.ini of the Windows directory when given.
    bool Run(const StandardRunInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // What the last run did with its data.
    const RunTally& Tally() const { return tally_; }

private:
    std::unique_ptr<StandardJobState> state_;
    RunTally tally_;
};

}  // namespace kelvara
