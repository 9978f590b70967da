#pragma once
// The batch for whole archives: the list's raw files on several worker
// threads, each with its own block buffer, reader and results file. Every
// results file is byte for byte what the sequential batch writes; the files
// go into place, and the messages reach the port, in list order, so that a
// failure leaves exactly what the sequential batch leaves: the results of
// the names before it, none of the names after it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jobs/BatchJob.h"
#include "jobs/JobPort.h"
#include "jobs/RunTally.h"
#include "pipeline/Methods.h"

namespace kelvara {

struct ParallelBatchOptions {
    Methods methods = Methods::Default;
    int jobs = 1;            // worker threads
    bool keepGoing = false;  // a failed name is reported and the batch goes on
    // Results files go here, named by the raw file's own name plus the
    // suffix; empty: beside each raw file.
    std::string outputDir;
    // This run's slice of the list: entry i (from 0) when i mod shardCount
    // is shardIndex.
    int shardIndex = 0;
    int shardCount = 1;
};

// Threads a machine runs at once, at least 1.
int HardwareThreads();

class ParallelBatchJob {
public:
    enum class End {
        Finished,       // "Processing Finished!"
        Failed,         // a failure message; with keepGoing, some names failed
        SameOutputName  // two names would write one results file; nothing ran
    };

    End Run(const BatchInputs& inputs, const ParallelBatchOptions& options, JobPort& port,
            const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // Over the names whose outcome was taken, in list order.
    const RunTally& Tally() const { return tally_; }
    int FilesDone() const { return filesDone_; }
    // The names that failed under keepGoing, in list order.
    const std::vector<std::string>& FailedNames() const { return failedNames_; }
    // After SameOutputName: the two names and the results file they share.
    const std::vector<std::string>& SameOutputNames() const { return sameOutputNames_; }

private:
    RunTally tally_;
    int filesDone_ = 0;
    std::vector<std::string> failedNames_;
    std::vector<std::string> sameOutputNames_;
};

}  // namespace kelvara
