#include "jobs/BatchFile.h"

#include "io/BlockTime.h"
#include "io/FileNames.h"
#include "jobs/InputColumns.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

FileFailure OnResultsFile(const JobMessage& message, const BatchEntry& entry, int error) {
    return {message, entry.resultsName, SystemErrorText(error)};
}

FileFailure OnRawFile(const BatchEntry& entry, const std::filesystem::path& rawPath) {
    return {messages::batch::kCannotOpenRaw, entry.name, ReasonCannotRead(rawPath)};
}

// The checks both methods make before the results file exists, then the
// results file with its header line.
template <class Results>
std::optional<FileFailure> CreateResults(const BatchEntry& entry, const std::filesystem::path& listPath,
                                         bool rawIsReadable, Results& results) {
    const auto rawPath = PathFromText(entry.name);
    const auto resultsPath = PathFromText(entry.resultsName);
    // Creating the results file would destroy an input of the same name.
    if (IsSameFile(resultsPath, rawPath) || IsSameFile(resultsPath, listPath)) {
        return FileFailure{messages::kOutputIsInput, std::nullopt, ""};
    }
    if (!rawIsReadable) return OnRawFile(entry, rawPath);
    if (!results.Create(resultsPath)) {
        return OnResultsFile(messages::batch::kCannotOpenOutput, entry, results.LastError());
    }
    if (!results.WriteHeader()) return OnResultsFile(messages::kCannotWriteOutput, entry, results.LastError());
    return std::nullopt;
}

}  // namespace

bool ListedLayouts::Prepare(const BatchInputs& inputs, const std::filesystem::path& listPath, JobPort& port,
                            std::string& refusal) {
    return PrepareColumns(inputs.input, ListedNames(listPath), port, layouts_, refusal);
}

DefaultBatchFile::DefaultBatchFile(JobState& state, const BatchInputs& inputs, RunTally& tally)
    : state_(state), rotation_(inputs.rotation.Settings()), listPath_(PathFromText(inputs.listFile)), tally_(tally) {
    state_.reader.SetStatusRule(inputs.input.goodStatus);
}

std::optional<FileFailure> DefaultBatchFile::Start(const BatchEntry& entry) {
    const auto rawPath = PathFromText(entry.name);
    // A pipe or a device is refused before its results file exists.
    if (auto failure = CreateResults(entry, listPath_, !IsSpecialFile(rawPath), state_.results)) return failure;
    if (!state_.reader.OpenFirst(rawPath, entry.layout)) return OnRawFile(entry, rawPath);
    return std::nullopt;
}

std::optional<FileFailure> DefaultBatchFile::ProcessBlocks(const BatchEntry& entry, BlockObserver& observer) {
    RawReader& reader = state_.reader;
    do {
        if (observer.Cancelled()) return std::nullopt;
        observer.BeforeRead();
        const int count = reader.ReadBlock(state_.block);
        if (reader.ReadError() != 0) {
            return FileFailure{messages::kCannotReadRaw, entry.name, SystemErrorText(reader.ReadError())};
        }
        observer.AfterRead(reader.FirstFileConsumed(), reader.FirstFileSize());
        if (count < kMinimumBlockSamples) {
            if (state_.block.count > 0) tally_.CountShortBlock(state_.block);
            continue;
        }
        FluxResult result;
        const BlockOutcome outcome = ProcessBlock(state_.block, state_.limits, rotation_, result);
        tally_.CountScreenedBlock(state_.block, outcome);
        const bool written = outcome == BlockOutcome::Rejected
                                 ? state_.results.WriteRejectedLine(reader.BlockDate(), reader.BlockLabel())
                                 : state_.results.WriteBlockLine(reader.BlockDate(), reader.BlockLabel(), result);
        if (!written) return OnResultsFile(messages::kCannotWriteOutput, entry, state_.results.LastError());
    } while (!reader.FirstFileEnded());
    return std::nullopt;
}

StandardBatchFile::StandardBatchFile(StandardJobState& state, const BatchInputs& inputs, RunTally& tally)
    : state_(state), rotation_(inputs.rotation.Settings()), listPath_(PathFromText(inputs.listFile)), tally_(tally) {
    state_.reader.SetStatusRule(inputs.input.goodStatus);
}

std::optional<FileFailure> StandardBatchFile::Start(const BatchEntry& entry) {
    const auto rawPath = PathFromText(entry.name);
    const bool readable = !IsSpecialFile(rawPath) && IsReadableFile(rawPath);
    if (auto failure = CreateResults(entry, listPath_, readable, state_.results)) return failure;
    state_.reader.Start({rawPath}, {entry.layout});
    return std::nullopt;
}

std::optional<FileFailure> StandardBatchFile::ProcessBlocks(const BatchEntry& entry, BlockObserver& observer) {
    StreamReader& reader = state_.reader;
    while (!observer.Cancelled() && reader.ReadBlock(state_.block)) {
        observer.AfterRead(reader.Consumed(), reader.TotalSize());
        if (state_.block.count < kMinimumBlockSamples) {
            if (state_.block.count > 0) tally_.CountShortBlock(state_.block);
            continue;
        }
        StandardResult result;
        const BlockOutcome outcome = ProcessStandardBlock(state_.block, state_.limits, rotation_, result);
        tally_.CountScreenedBlock(state_.block, outcome);
        char time[kBlockTimeSize];
        FormatBlockTime(reader.BlockDate(), reader.BlockKey(), time);
        const bool written = outcome == BlockOutcome::Rejected ? state_.results.WriteRejectedLine(time)
                                                               : state_.results.WriteBlockLine(time, result);
        if (!written) return OnResultsFile(messages::kCannotWriteOutput, entry, state_.results.LastError());
    }
    if (reader.OpenFailed()) return OnRawFile(entry, PathFromText(entry.name));
    if (reader.Failed())
        return FileFailure{messages::kCannotReadRaw, entry.name, SystemErrorText(reader.FailureError())};
    return std::nullopt;
}

}  // namespace kelvara
