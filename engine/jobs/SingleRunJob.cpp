#include "jobs/SingleRunJob.h"

#include "io/BlockReadAhead.h"
#include "io/FileNames.h"
#include "io/RangeFile.h"
#include "jobs/InputColumns.h"
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

// The block loop. The next block is read on a second thread while this one
// is processed; the reader's counts are left as of the last block used.
LoopEnd ProcessBlocks(JobState& state, BlockBuffer& spare, const RotationSettings& rotation, ProgressMeter& progress,
                      JobPort& port, RunTally& tally) {
    const std::int64_t size = state.reader.FirstFileSize();
    RawReader::Counts countsUsed = state.reader.RecordCounts();
    LoopEnd end = LoopEnd::Finished;
    {
        BlockReadAhead readAhead(state.reader, state.block, spare);
        for (;;) {
            progress.BlockBegun();
            const BlockReadAhead::Block& read = readAhead.Next();
            countsUsed = read.counts;
            BlockBuffer& block = *read.buffer;
            if (read.readError != 0) {
                end = LoopEnd::ReadFailed;
                break;
            }
            port.ShowBytesRead(read.consumed, size);
            if (read.count < kMinimumBlockSamples) {
                // A short half hour (a logger restart, say) gets no line; the
                // run goes on to the end of the first file.
                if (block.count > 0) tally.CountShortBlock(block);
                if (read.firstFileEnded) break;
                continue;
            }
            if (!read.firstFileEnded) progress.Show();
            FluxResult result;
            const BlockOutcome outcome = ProcessBlock(block, state.limits, rotation, result);
            tally.CountScreenedBlock(block, outcome);
            const bool written = outcome == BlockOutcome::Rejected
                                     ? state.results.WriteRejectedLine(read.date, read.label)
                                     : state.results.WriteBlockLine(read.date, read.label, result);
            if (!written) {
                end = LoopEnd::WriteFailed;
                break;
            }
            if (outcome == BlockOutcome::Computed && read.firstFileEnded) break;
        }
    }
    state.reader.RestoreCounts(countsUsed);
    return end;
}

}  // namespace

SingleRunJob::SingleRunJob() : state_(std::make_unique<JobState>()), readAheadBlock_(std::make_unique<BlockBuffer>()) {}

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
    std::vector<std::string> rawFiles{inputs.firstFile};
    if (!noSecondFile) rawFiles.push_back(inputs.secondFile);
    std::vector<ColumnLayout> layouts;
    std::string refusal;
    if (!PrepareColumns(inputs.input, rawFiles, port, layouts, refusal)) return frame.Stop(ColumnsRefused(refusal));
    state.reader.SetStatusRule(inputs.input.goodStatus);

    const std::string outputName = inputs.outputFile + std::string(ResultsSuffix(rotation.rotation));
    const auto writeFailure = [&]() { return SystemErrorText(state.results.LastError()); };
    if (!state.results.Create(outputPath)) return frame.StopOnFile(kCannotOpenOutput, outputName, writeFailure());
    if (!state.results.WriteHeader()) return frame.StopOnFile(messages::kCannotWriteOutput, outputName, writeFailure());

    if (!state.reader.OpenFirst(firstPath, layouts[0])) {
        return frame.StopOnFile(kCannotOpenFirst, inputs.firstFile, ReasonCannotRead(firstPath));
    }
    if (!noSecondFile && !state.reader.OpenSecond(secondPath, layouts[1])) {
        return frame.StopOnFile(kCannotOpenSecond, inputs.secondFile, ReasonCannotRead(secondPath));
    }

    ProgressMeter progress(port, state.reader.FirstFileSize());
    switch (ProcessBlocks(state, *readAheadBlock_, rotation, progress, port, tally_)) {
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
