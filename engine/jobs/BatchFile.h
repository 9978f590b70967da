#pragma once
// One raw file of a batch into its results file, in either method: what the
// desktop batch does for each name of its list, and what each worker of the
// command line's parallel batch does for the names it takes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/FileNames.h"
#include "io/ListFile.h"
#include "jobs/BatchJob.h"
#include "jobs/InputColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobFrame.h"
#include "jobs/JobState.h"
#include "jobs/RunTally.h"
#include "jobs/StandardJobState.h"
#include "pipeline/Rotation.h"

namespace kelvara {

struct BatchEntry {
    std::string name;         // the raw file, as the list names it
    std::string resultsName;  // its results file
    ColumnLayout layout;      // its columns, found before the batch began
};

// Each listed file's columns, found before any results file exists, handed
// out in list order.
class ListedLayouts {
public:
    // False, with refusal set, when a listed file's header does not fit.
    bool Prepare(const BatchInputs& inputs, const std::filesystem::path& listPath, JobPort& port, std::string& refusal);
    ColumnLayout Next() { return next_ < layouts_.size() ? layouts_[next_++] : ColumnLayout{}; }

private:
    std::vector<ColumnLayout> layouts_;
    std::size_t next_ = 0;
};

// The checks a batch makes of its list before any results file exists: the
// list opens, no results name would replace an input, and every listed
// file's columns are found. False after the failure message.
template <class State>
bool OpenBatchList(JobFrame<State>& frame, ListFile& list, const BatchInputs& inputs, std::string_view suffix,
                   const std::filesystem::path& rangeFile, ListedLayouts& layouts) {
    const auto listPath = PathFromText(inputs.listFile);
    if (!list.Open(listPath)) {
        return frame.StopOnFile(messages::batch::kCannotOpenList, inputs.listFile, ReasonCannotRead(listPath));
    }
    if (ListNamesAnInputAsResults(listPath, rangeFile, suffix)) return frame.Stop(messages::kOutputIsInput);
    std::string refusal;
    if (!layouts.Prepare(inputs, listPath, frame.Port(), refusal)) return frame.Stop(ColumnsRefused(refusal));
    return true;
}

// What a batch's driver sees of a file between its blocks.
class BlockObserver {
public:
    virtual ~BlockObserver() = default;
    virtual void BeforeRead() {}
    virtual void AfterRead(std::int64_t consumed, std::int64_t total) {
        (void)consumed;
        (void)total;
    }
    // True when the rest of the file is no longer wanted.
    virtual bool Cancelled() const { return false; }
};

// The default method. Start and ProcessBlocks work in state; the driver
// closes the reader and the results file, which stay open after a failure.
class DefaultBatchFile {
public:
    // inputs: the batch's, for every file alike.
    DefaultBatchFile(JobState& state, const BatchInputs& inputs, RunTally& tally);

    // The results file created with its header line, the raw file opened
    // behind its four header lines; nothing read from an earlier file is kept.
    std::optional<FileFailure> Start(const BatchEntry& entry);
    // Every block until the raw file ends, each through the block pipeline
    // and into the results file.
    std::optional<FileFailure> ProcessBlocks(const BatchEntry& entry, BlockObserver& observer);

private:
    JobState& state_;
    const RotationSettings rotation_;
    const std::filesystem::path listPath_;
    RunTally& tally_;
};

// The standard methods: each raw file a stream of its own.
class StandardBatchFile {
public:
    StandardBatchFile(StandardJobState& state, const BatchInputs& inputs, RunTally& tally);

    // A raw file that cannot be read is refused before its results file
    // exists.
    std::optional<FileFailure> Start(const BatchEntry& entry);
    std::optional<FileFailure> ProcessBlocks(const BatchEntry& entry, BlockObserver& observer);

private:
    StandardJobState& state_;
    const RotationSettings rotation_;
    const std::filesystem::path listPath_;
    RunTally& tally_;
};

}  // namespace kelvara
