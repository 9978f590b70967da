#include "jobs/StandardRunJob.h"

#include "io/BlockTime.h"
#include "io/FileNames.h"
#include "io/RangeFile.h"
#include "jobs/InputColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"
#include "jobs/StandardJobState.h"
#include "jobs/StreamProgress.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

// The default run's messages for its first and second file; a file further
// down the stream gets the batch's, which names no position.
const JobMessage& CannotOpen(std::size_t file) {
    if (file == 0) return messages::single_run::kCannotOpenFirst;
    if (file == 1) return messages::single_run::kCannotOpenSecond;
    return messages::batch::kCannotOpenRaw;
}

enum class LoopEnd { Finished, ReadFailed, WriteFailed };

LoopEnd ProcessBlocks(StandardJobState& state, const RotationSettings& rotation, StreamProgress& progress,
                      RunTally& tally) {
    StreamReader& reader = state.reader;
    while (reader.ReadBlock(state.block)) {
        progress.Show(reader.Consumed());
        // A short half hour (a logger restart, say) gets no line; the run
        // goes on to the end of the last file.
        if (state.block.count < kMinimumBlockSamples) {
            if (state.block.count > 0) tally.CountShortBlock(state.block);
            continue;
        }
        StandardResult result;
        const BlockOutcome outcome = ProcessStandardBlock(state.block, state.limits, rotation, result);
        tally.CountScreenedBlock(state.block, outcome);
        char time[kBlockTimeSize];
        FormatBlockTime(reader.BlockDate(), reader.BlockKey(), time);
        const bool written = outcome == BlockOutcome::Rejected ? state.results.WriteRejectedLine(time)
                                                               : state.results.WriteBlockLine(time, result);
        if (!written) return LoopEnd::WriteFailed;
    }
    return reader.Failed() ? LoopEnd::ReadFailed : LoopEnd::Finished;
}

}  // namespace

StandardRunJob::StandardRunJob() : state_(std::make_unique<StandardJobState>()) {}

StandardRunJob::~StandardRunJob() = default;

bool StandardRunJob::Run(const StandardRunInputs& inputs, JobPort& port,
                         const std::optional<std::filesystem::path>& rangeFile) {
    StandardJobState& state = *state_;
    tally_ = RunTally{};
    state.reader.ResetCounts();
    JobFrame frame(state, port, tally_);

    LoadRangeLimits(state.limits, rangeFile);
    const RotationSettings rotation = inputs.rotation.Settings();

    if (inputs.rotation.MissesCoefficient()) return frame.Stop(messages::kNoPlaneCoefficients);
    if (inputs.files.empty() || inputs.files.front().empty()) return frame.Stop(messages::single_run::kNoFirstFile);
    if (inputs.outputFile.empty()) return frame.Stop(messages::kNoOutputFile);

    const std::string outputName = inputs.outputFile + std::string(ResultsSuffix(rotation.rotation, Methods::Standard));
    const auto outputPath = PathFromText(outputName);
    std::vector<std::filesystem::path> paths;
    for (const std::string& file : inputs.files) paths.push_back(PathFromText(file));
    // Creating the results file would destroy an input of the same name.
    std::vector<std::filesystem::path> guarded = paths;
    guarded.push_back(rangeFile.value_or(RangeFilePath()));
    if (NamesAnInput(outputPath, guarded)) return frame.Stop(messages::kOutputIsInput);
    // Every raw file is checked before the results file exists: a pipe or a
    // device could block or never end, and a file missing halfway down the
    // stream would cost the whole run.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (IsSpecialFile(paths[i]) || !IsReadableFile(paths[i])) {
            return frame.StopOnFile(CannotOpen(i), inputs.files[i], ReasonCannotRead(paths[i]));
        }
    }

    std::vector<ColumnLayout> layouts;
    std::string refusal;
    if (!PrepareColumns(inputs.input, inputs.files, port, layouts, refusal)) return frame.Stop(ColumnsRefused(refusal));
    state.reader.SetStatusRule(inputs.input.goodStatus);

    const auto writeFailure = [&]() { return SystemErrorText(state.results.LastError()); };
    if (!state.results.Create(outputPath)) {
        return frame.StopOnFile(messages::single_run::kCannotOpenOutput, outputName, writeFailure());
    }
    if (!state.results.WriteHeader()) return frame.StopOnFile(messages::kCannotWriteOutput, outputName, writeFailure());

    state.reader.Start(paths, layouts);
    StreamProgress progress(port, state.reader.TotalSize());
    switch (ProcessBlocks(state, rotation, progress, tally_)) {
        case LoopEnd::ReadFailed: {
            const std::size_t file = state.reader.FailedFile();
            if (state.reader.OpenFailed())
                return frame.StopOnFile(CannotOpen(file), inputs.files[file], ReasonCannotRead(paths[file]));
            return frame.StopOnFile(messages::kCannotReadRaw, inputs.files[file],
                                    SystemErrorText(state.reader.FailureError()));
        }
        case LoopEnd::WriteFailed:
            return frame.StopOnFile(messages::kCannotWriteOutput, outputName, writeFailure());
        case LoopEnd::Finished:
            break;
    }

    if (!state.CloseFiles()) return frame.StopOnFile(messages::kCannotWriteOutput, outputName, writeFailure());
    return frame.Finish();
}

}  // namespace kelvara
