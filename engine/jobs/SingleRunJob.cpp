#include "jobs/SingleRunJob.h"

#include "io/FileNames.h"
#include "io/RangeFile.h"
#include "jobs/JobMessages.h"
#include "jobs/JobState.h"
#include "jobs/ProgressMeter.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::single_run;

bool OutputNamesAnInput(const std::filesystem::path& output, const SingleRunInputs& inputs, bool noSecondFile) {
    return IsSameFile(output, PathFromText(inputs.firstFile)) ||
           (!noSecondFile && IsSameFile(output, PathFromText(inputs.secondFile)));
}

// The block loop. False when a results line could not be written.
bool ProcessBlocks(JobState& state, const RotationSettings& rotation, ProgressMeter& progress) {
    RawReader& reader = state.reader;
    for (;;) {
        progress.BlockBegun();
        // A short block ends the run, even in the middle of the file.
        if (reader.ReadBlock(state.block) < kMinimumBlockSamples) return true;
        if (!reader.FirstFileEnded()) progress.Show();
        FluxResult result;
        if (ProcessBlock(state.block, state.limits, rotation, result) == BlockOutcome::Rejected) {
            if (!state.results.WriteRejectedLine(reader.BlockDate(), reader.BlockLabel())) return false;
            continue;
        }
        if (!state.results.WriteBlockLine(reader.BlockDate(), reader.BlockLabel(), result)) return false;
        if (reader.FirstFileEnded()) return true;
    }
}

}  // namespace

SingleRunJob::SingleRunJob() : state_(std::make_unique<JobState>()) {}

SingleRunJob::~SingleRunJob() = default;

bool SingleRunJob::Run(const SingleRunInputs& inputs, JobPort& port,
                       const std::optional<std::filesystem::path>& rangeFile) {
    JobState& state = *state_;
    const auto stop = [&](const JobMessage& message) {
        state.CloseFiles();
        Show(port, message);
        return false;
    };

    LoadRangeLimits(state.limits, rangeFile);
    const RotationSettings rotation = inputs.rotation.Settings();

    if (inputs.rotation.MissesCoefficient()) return stop(messages::kNoPlaneCoefficients);
    if (inputs.firstFile.empty()) return stop(kNoFirstFile);
    bool noSecondFile = false;
    if (inputs.secondFile.empty()) {
        if (port.AskNoSecondFile() == SecondFileAnswer::ReInput) return false;
        noSecondFile = true;
    }
    if (inputs.outputFile.empty()) return stop(messages::kNoOutputFile);

    const auto outputPath = PathFromText(inputs.outputFile + std::string(ResultsSuffix(rotation.rotation)));
    // Creating the results file would destroy an input of the same name.
    if (OutputNamesAnInput(outputPath, inputs, noSecondFile)) return stop(messages::kOutputIsInput);
    if (!state.results.Create(outputPath)) return stop(kCannotOpenOutput);
    if (!state.results.WriteHeader()) return stop(messages::kCannotWriteOutput);

    if (!state.reader.OpenFirst(PathFromText(inputs.firstFile))) return stop(kCannotOpenFirst);
    if (!noSecondFile && !state.reader.OpenSecond(PathFromText(inputs.secondFile))) return stop(kCannotOpenSecond);

    ProgressMeter progress(port, state.reader.FirstFileSize());
    if (!ProcessBlocks(state, rotation, progress)) return stop(messages::kCannotWriteOutput);

    state.CloseFiles();
    Show(port, messages::kFinished);
    return true;
}

}  // namespace kelvara
