#include "jobs/SingleRunJob.h"

#include "io/FileNames.h"
#include "io/RangeFile.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"
#include "jobs/JobState.h"
#include "jobs/ProgressMeter.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::single_run;

bool OutputNamesAnInput(const std::filesystem::path& output, const SingleRunInputs& inputs, bool noSecondFile,
                        const std::filesystem::path& rangePath) {
    return IsSameFile(output, PathFromText(inputs.firstFile)) ||
           (!noSecondFile && IsSameFile(output, PathFromText(inputs.secondFile))) || IsSameFile(output, rangePath);
}

enum class LoopEnd { Finished, ReadFailed, WriteFailed };

// The block loop.
LoopEnd ProcessBlocks(JobState& state, const RotationSettings& rotation, ProgressMeter& progress, JobPort& port,
                      RunTally& tally) {
    RawReader& reader = state.reader;
    for (;;) {
        progress.BlockBegun();
        const int count = reader.ReadBlock(state.block);
        if (reader.ReadError() != 0) return LoopEnd::ReadFailed;
        port.ShowBytesRead(reader.FirstFileConsumed(), reader.FirstFileSize());
        if (count < kMinimumBlockSamples) {
            // A short half hour (a logger restart, say) gets no line; the run
            // goes on to the end of the first file.
            if (state.block.count > 0) tally.CountShortBlock(state.block);
            if (reader.FirstFileEnded()) return LoopEnd::Finished;
            continue;
        }
        if (!reader.FirstFileEnded()) progress.Show();
        FluxResult result;
        const BlockOutcome outcome = ProcessBlock(state.block, state.limits, rotation, result);
        tally.CountScreenedBlock(state.block, outcome);
        if (outcome == BlockOutcome::Rejected) {
            if (!state.results.WriteRejectedLine(reader.BlockDate(), reader.BlockLabel())) return LoopEnd::WriteFailed;
            continue;
        }
        if (!state.results.WriteBlockLine(reader.BlockDate(), reader.BlockLabel(), result)) return LoopEnd::WriteFailed;
        if (reader.FirstFileEnded()) return LoopEnd::Finished;
    }
}

}  // namespace

SingleRunJob::SingleRunJob() : state_(std::make_unique<JobState>()) {}

SingleRunJob::~SingleRunJob() = default;

bool SingleRunJob::Run(const SingleRunInputs& inputs, JobPort& port,
                       const std::optional<std::filesystem::path>& rangeFile) {
    JobState& state = *state_;
    tally_ = RunTally{};
    state.reader.ResetCounts();
    JobFrame frame(state, port, tally_);

    LoadRangeLimits(state.limits, rangeFile);
    const RotationSettings rotation = inputs.rotation.Settings();

    if (inputs.rotation.MissesCoefficient()) return frame.Stop(messages::kNoPlaneCoefficients);
    if (inputs.firstFile.empty()) return frame.Stop(kNoFirstFile);
    bool noSecondFile = false;
    if (inputs.secondFile.empty()) {
        if (port.AskNoSecondFile() == SecondFileAnswer::ReInput) return false;
        noSecondFile = true;
    }
    if (inputs.outputFile.empty()) return frame.Stop(messages::kNoOutputFile);

    const auto outputPath = PathFromText(inputs.outputFile + std::string(ResultsSuffix(rotation.rotation)));
    // Creating the results file would destroy an input of the same name.
    if (OutputNamesAnInput(outputPath, inputs, noSecondFile, rangeFile.value_or(RangeFilePath()))) {
        return frame.Stop(messages::kOutputIsInput);
    }
    // A pipe or a device as a raw file is refused before the results file
    // exists: its open could block, its reading never end.
    const auto firstPath = PathFromText(inputs.firstFile);
    const auto secondPath = PathFromText(inputs.secondFile);
    if (IsSpecialFile(firstPath))
        return frame.StopOnFile(kCannotOpenFirst, inputs.firstFile, ReasonCannotRead(firstPath));
    if (!noSecondFile && IsSpecialFile(secondPath)) {
        return frame.StopOnFile(kCannotOpenSecond, inputs.secondFile, ReasonCannotRead(secondPath));
    }
    const std::string outputName = inputs.outputFile + std::string(ResultsSuffix(rotation.rotation));
    const auto writeFailure = [&]() { return SystemErrorText(state.results.LastError()); };
    if (!state.results.Create(outputPath)) return frame.StopOnFile(kCannotOpenOutput, outputName, writeFailure());
    if (!state.results.WriteHeader()) return frame.StopOnFile(messages::kCannotWriteOutput, outputName, writeFailure());

    if (!state.reader.OpenFirst(firstPath)) {
        return frame.StopOnFile(kCannotOpenFirst, inputs.firstFile, ReasonCannotRead(firstPath));
    }
    if (!noSecondFile && !state.reader.OpenSecond(secondPath)) {
        return frame.StopOnFile(kCannotOpenSecond, inputs.secondFile, ReasonCannotRead(secondPath));
    }

    ProgressMeter progress(port, state.reader.FirstFileSize());
    switch (ProcessBlocks(state, rotation, progress, port, tally_)) {
        case LoopEnd::ReadFailed: {
            const bool second = state.reader.SecondFileFailed();
            const std::string reason = SystemErrorText(state.reader.ReadError());
            return frame.StopOnFile(messages::kCannotReadRaw, second ? inputs.secondFile : inputs.firstFile, reason);
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
