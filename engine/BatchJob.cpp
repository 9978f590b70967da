#include "BatchJob.h"

#include <cstdio>
#include <string>

#include "BlockPipeline.h"
#include "FileNames.h"
#include "JobMessages.h"
#include "JobState.h"
#include "ListFile.h"
#include "NumberText.h"

namespace kelvara {

namespace {

constexpr JobMessage kNoInputFile{"No Input File", "Please Input the File!"};
constexpr JobMessage kCannotOpenList{"Can't Open File!", "File Doesn't Exit!"};
constexpr JobMessage kCannotOpenOutput{"Can't Open Output File!", "Open Output File Failed!"};
constexpr JobMessage kCannotOpenRaw{"Can't Open Raw Data File!", "Raw Data File Doesn't Exit!"};
constexpr std::string_view kWaitNotice = "Please wait, it will take a long time!";

void ShowFileAndBlock(JobPort& port, int fileNumber, int blockCounter) {
    char text[64];
    std::snprintf(text, sizeof text, "Processing file %d ,record %d", fileNumber, blockCounter);
    port.SetStatusText(StatusText::ProgressText, text);
}

RotationSettings ReadRotation(const BatchInputs& inputs) {
    RotationSettings rotation{inputs.rotationChoice};
    // The plane's coefficients are only converted when the plane is used.
    if (rotation.IsPlanarFit()) {
        rotation.b0 = AtofToFloat(inputs.b0Text);
        rotation.b1 = AtofToFloat(inputs.b1Text);
        rotation.b2 = AtofToFloat(inputs.b2Text);
    }
    return rotation;
}

class BatchRun {
public:
    BatchRun(JobState& state, JobPort& port, const BatchInputs& inputs)
        : state_(state), port_(port), inputs_(inputs), rotation_(ReadRotation(inputs)) {}

    bool Run(const std::optional<std::filesystem::path>& rangeFile);

private:
    bool Stop(const JobMessage& message) {
        list_.Close();
        state_.CloseFiles();
        Show(port_, message);
        return false;
    }
    // Creates the results file of the current name, writes its header and
    // opens the raw file behind its four header lines.
    bool StartFile();
    // Closes the finished raw file and starts the next name. False when the
    // list has ended (finished set) or a step failed (message shown).
    bool SwitchFile(bool& finished);
    bool WriteBlock(int n);

    JobState& state_;
    JobPort& port_;
    const BatchInputs& inputs_;
    const RotationSettings rotation_;
    ListFile list_;
    std::string name_;
    int fileNumber_ = 1;
    int blockCounter_ = 0;
};

bool BatchRun::StartFile() {
    const auto rawPath = PathFromText(name_);
    const auto resultsPath = PathFromText(name_ + std::string(ResultsSuffix(rotation_.choice)));
    // Creating the results file would destroy an input of the same name.
    if (IsSameFile(resultsPath, rawPath) || IsSameFile(resultsPath, PathFromText(inputs_.listFile))) {
        return Stop(messages::kOutputIsInput);
    }
    if (!state_.results.Create(resultsPath)) return Stop(kCannotOpenOutput);
    if (!state_.results.WriteHeader()) return Stop(messages::kCannotWriteOutput);
    if (!state_.reader.first.Open(rawPath)) return Stop(kCannotOpenRaw);
    SkipHeaderLines(state_.reader.first);
    return true;
}

bool BatchRun::SwitchFile(bool& finished) {
    blockCounter_ = 0;
    ++fileNumber_;
    ShowFileAndBlock(port_, fileNumber_, blockCounter_);
    state_.reader.first.Close();
    if (!list_.ReadName(name_)) {
        finished = true;
        return false;
    }
    state_.results.Close();
    if (!StartFile()) return false;
    // Nothing read from the previous raw file may enter a block of this one.
    state_.reader.endOfFirstFile = false;
    state_.reader.carry = false;
    return true;
}

bool BatchRun::WriteBlock(int n) {
    ReaderState& reader = state_.reader;
    FluxResult result;
    if (ProcessBlock(state_.block, n, state_.limits, rotation_, result) == BlockOutcome::Rejected) {
        return state_.results.WriteRejectedLine(reader.BlockDate, reader.BlockLabel);
    }
    return state_.results.WriteBlockLine(reader.BlockDate, reader.BlockLabel, result);
}

bool BatchRun::Run(const std::optional<std::filesystem::path>& rangeFile) {
    ReaderState& reader = state_.reader;
    reader.carry = false;
    reader.endOfFirstFile = false;
    reader.noSecondFile = true;
    if (!list_.Open(PathFromText(inputs_.listFile))) return Stop(kCannotOpenList);
    port_.SetStatusText(StatusText::WaitNotice, kWaitNotice);
    list_.ReadName(name_);  // an empty list gives an empty first name
    if (!StartFile()) return false;
    LoadLimitsForRun(state_.limits, rangeFile);
    ShowFileAndBlock(port_, fileNumber_, blockCounter_);

    for (;;) {
        ++blockCounter_;
        ShowFileAndBlock(port_, fileNumber_, blockCounter_);
        if (reader.endOfFirstFile) {
            bool finished = false;
            if (!SwitchFile(finished)) {
                if (finished) break;
                return false;
            }
        }
        const int n = ReadBlock(reader, state_.block);
        if (n < kMinimumBlockSamples) continue;
        if (!WriteBlock(n)) return Stop(messages::kCannotWriteOutput);
    }

    list_.Close();
    state_.CloseFiles();
    port_.SetStatusText(StatusText::WaitNotice, "");
    Show(port_, messages::kFinished);
    return true;
}

}  // namespace

BatchJob::BatchJob() : state_(std::make_unique<JobState>()) {}

BatchJob::~BatchJob() = default;

bool BatchJob::Run(const BatchInputs& inputs, JobPort& port,
                   const std::optional<std::filesystem::path>& rangeFile) {
    if (inputs.rotationChoice == 1 && AnyPlaneCoefficientMissing(inputs.b0Text, inputs.b1Text, inputs.b2Text)) {
        Show(port, messages::kNoPlaneCoefficients);
        return false;
    }
    if (inputs.listFile.empty()) {
        Show(port, kNoInputFile);
        return false;
    }
    BatchRun run(*state_, port, inputs);
    return run.Run(rangeFile);
}

}  // namespace kelvara
