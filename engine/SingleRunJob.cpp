#include "SingleRunJob.h"

#include "BlockPipeline.h"
#include "FileNames.h"
#include "JobMessages.h"
#include "JobState.h"
#include "NumberText.h"
#include "ProgressMeter.h"

namespace kelvara {

namespace {

constexpr JobMessage kNoFirstFile{"No First File", "Please Input the First File!"};
constexpr JobMessage kCannotOpenOutput{"Can't Open Output File", "Can't Open Output file!"};
constexpr JobMessage kCannotOpenFirst{"Can't Open The First Raw Data File!", "Raw Data File Doesn't Exit!"};
constexpr JobMessage kCannotOpenSecond{"Can't Open The Second Raw Data File!", "Raw Data File Doesn't Exit!"};

bool OutputNamesAnInput(const std::filesystem::path& output, const SingleRunInputs& inputs, bool noSecondFile) {
    return IsSameFile(output, PathFromText(inputs.firstFile)) ||
           (!noSecondFile && IsSameFile(output, PathFromText(inputs.secondFile)));
}

// The block loop. False when a results line could not be written.
bool ProcessBlocks(JobState& state, const RotationSettings& rotation, ProgressMeter& progress) {
    ReaderState& reader = state.reader;
    for (;;) {
        progress.BlockBegun();
        const int n = ReadBlock(reader, state.block);
        // A short block ends the run, even in the middle of the file.
        if (n < kMinimumBlockSamples) return true;
        if (!reader.endOfFirstFile) progress.Show();
        FluxResult result;
        if (ProcessBlock(state.block, n, state.limits, rotation, result) == BlockOutcome::Rejected) {
            if (!state.results.WriteRejectedLine(reader.BlockDate, reader.BlockLabel)) return false;
            continue;
        }
        if (!state.results.WriteBlockLine(reader.BlockDate, reader.BlockLabel, result)) return false;
        if (reader.endOfFirstFile) return true;
    }
}

}  // namespace

SingleRunJob::SingleRunJob() : state_(std::make_unique<JobState>()) {}

SingleRunJob::~SingleRunJob() = default;

bool SingleRunJob::Run(const SingleRunInputs& inputs, JobPort& port,
                       const std::optional<std::filesystem::path>& rangeFile) {
    JobState& state = *state_;
    ReaderState& reader = state.reader;
    reader.noSecondFile = false;
    reader.carry = false;
    reader.endOfFirstFile = false;
    const auto stop = [&](const JobMessage& message) {
        state.CloseFiles();
        Show(port, message);
        return false;
    };

    LoadLimitsForRun(state.limits, rangeFile);
    const RotationSettings rotation{inputs.rotationChoice, AtofToFloat(inputs.b0Text),
                                    AtofToFloat(inputs.b1Text), AtofToFloat(inputs.b2Text)};

    if (rotation.IsPlanarFit() && AnyPlaneCoefficientMissing(inputs.b0Text, inputs.b1Text, inputs.b2Text)) {
        return stop(messages::kNoPlaneCoefficients);
    }
    if (inputs.firstFile.empty()) return stop(kNoFirstFile);
    if (inputs.secondFile.empty()) {
        if (port.AskNoSecondFile() == SecondFileAnswer::ReInput) return false;
        reader.noSecondFile = true;
    }
    if (inputs.outputFile.empty()) return stop(messages::kNoOutputFile);

    const auto outputPath = PathFromText(inputs.outputFile + std::string(ResultsSuffix(rotation.choice)));
    // Creating the results file would destroy an input of the same name.
    if (OutputNamesAnInput(outputPath, inputs, reader.noSecondFile)) return stop(messages::kOutputIsInput);
    if (!state.results.Create(outputPath)) return stop(kCannotOpenOutput);
    if (!state.results.WriteHeader()) return stop(messages::kCannotWriteOutput);

    if (!reader.first.Open(PathFromText(inputs.firstFile))) return stop(kCannotOpenFirst);
    if (!reader.noSecondFile) {
        if (!reader.second.Open(PathFromText(inputs.secondFile))) return stop(kCannotOpenSecond);
        SkipHeaderLines(reader.second);
    }

    ProgressMeter progress(port, reader.first.Size());
    SkipHeaderLines(reader.first);
    if (!ProcessBlocks(state, rotation, progress)) return stop(messages::kCannotWriteOutput);

    state.CloseFiles();
    Show(port, messages::kFinished);
    return true;
}

}  // namespace kelvara
