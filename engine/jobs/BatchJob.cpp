#include "jobs/BatchJob.h"

#include <string>

#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "jobs/BatchProgress.h"
#include "jobs/InputColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobMessages.h"
#include "jobs/JobState.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::batch;

class BatchRun {
public:
    BatchRun(JobState& state, JobPort& port, const BatchInputs& inputs, RunTally& tally)
        : state_(state), port_(port), inputs_(inputs), rotation_(inputs.rotation.Settings()), tally_(tally) {}

    bool Run(const std::optional<std::filesystem::path>& rangeFile);

private:
    bool Stop(const JobMessage& message) {
        list_.Close();
        state_.CloseFiles();
        tally_.TakeRecordCounts(state_.reader.RecordCounts());
        Show(port_, message);
        return false;
    }
    // A failure that concerns one file: the system's reason goes first.
    bool StopOnFile(const JobMessage& message, const std::string& file, const std::string& reason) {
        port_.ExplainFailure(file, reason);
        return Stop(message);
    }
    bool StopOnResultsFile(const JobMessage& message) {
        return StopOnFile(message, ResultsName(), SystemErrorText(state_.results.LastError()));
    }
    std::string ResultsName() const { return name_ + std::string(ResultsSuffix(rotation_.rotation)); }
    // Creates the results file of the current name, writes its header and
    // opens the raw file behind its four header lines.
    bool StartFile();
    // Closes the finished raw file and starts the next name. False when the
    // list has ended (finished set) or a step failed (message shown).
    bool SwitchFile(bool& finished);
    bool WriteBlock();

    JobState& state_;
    JobPort& port_;
    const BatchInputs& inputs_;
    const RotationSettings rotation_;
    RunTally& tally_;
    ListFile list_;
    std::vector<ColumnLayout> layouts_;  // per listed file, found before any results file
    std::string name_;
    int fileNumber_ = 1;
    int blockCounter_ = 0;
};

bool BatchRun::StartFile() {
    const auto rawPath = PathFromText(name_);
    const auto resultsPath = PathFromText(ResultsName());
    // Creating the results file would destroy an input of the same name.
    if (IsSameFile(resultsPath, rawPath) || IsSameFile(resultsPath, PathFromText(inputs_.listFile))) {
        return Stop(messages::kOutputIsInput);
    }
    // A pipe or a device is refused before its results file exists.
    if (IsSpecialFile(rawPath)) return StopOnFile(kCannotOpenRaw, name_, ReasonCannotRead(rawPath));
    if (!state_.results.Create(resultsPath)) return StopOnResultsFile(kCannotOpenOutput);
    if (!state_.results.WriteHeader()) return StopOnResultsFile(messages::kCannotWriteOutput);
    const auto index = static_cast<std::size_t>(fileNumber_ - 1);
    const ColumnLayout layout = index < layouts_.size() ? layouts_[index] : ColumnLayout{};
    if (!state_.reader.OpenFirst(rawPath, layout)) return StopOnFile(kCannotOpenRaw, name_, ReasonCannotRead(rawPath));
    return true;
}

bool BatchRun::SwitchFile(bool& finished) {
    blockCounter_ = 0;
    ++fileNumber_;
    ShowFileAndBlock(port_, fileNumber_, blockCounter_);
    state_.reader.Close();
    if (!state_.results.Close()) return StopOnResultsFile(messages::kCannotWriteOutput);
    if (!list_.ReadName(name_)) {
        finished = true;
        return false;
    }
    // Opening the next raw file forgets everything read from the previous one.
    return StartFile();
}

bool BatchRun::WriteBlock() {
    const RawReader& reader = state_.reader;
    FluxResult result;
    const BlockOutcome outcome = ProcessBlock(state_.block, state_.limits, rotation_, result);
    tally_.CountScreenedBlock(state_.block, outcome);
    if (outcome == BlockOutcome::Rejected) {
        return state_.results.WriteRejectedLine(reader.BlockDate(), reader.BlockLabel());
    }
    return state_.results.WriteBlockLine(reader.BlockDate(), reader.BlockLabel(), result);
}

bool BatchRun::Run(const std::optional<std::filesystem::path>& rangeFile) {
    RawReader& reader = state_.reader;
    reader.ResetCounts();
    const auto listPath = PathFromText(inputs_.listFile);
    if (!list_.Open(listPath)) return StopOnFile(kCannotOpenList, inputs_.listFile, ReasonCannotRead(listPath));
    if (ListNamesAnInputAsResults(listPath, rangeFile.value_or(RangeFilePath()), ResultsSuffix(rotation_.rotation))) {
        return Stop(messages::kOutputIsInput);
    }
    std::string refusal;
    if (!PrepareColumns(inputs_.input, ListedNames(listPath), port_, layouts_, refusal)) {
        return Stop(ColumnsRefused(refusal));
    }
    reader.SetStatusRule(inputs_.input.goodStatus);
    port_.SetStatusText(StatusText::WaitNotice, kWaitNotice);
    list_.ReadName(name_);  // an empty list gives an empty first name
    if (!StartFile()) return false;
    LoadRangeLimits(state_.limits, rangeFile);
    ShowFileAndBlock(port_, fileNumber_, blockCounter_);

    for (;;) {
        ++blockCounter_;
        ShowFileAndBlock(port_, fileNumber_, blockCounter_);
        if (reader.FirstFileEnded()) {
            bool finished = false;
            if (!SwitchFile(finished)) {
                if (finished) break;
                return false;
            }
        }
        const int count = reader.ReadBlock(state_.block);
        if (reader.ReadError() != 0) {
            return StopOnFile(messages::kCannotReadRaw, name_, SystemErrorText(reader.ReadError()));
        }
        port_.ShowBytesRead(reader.FirstFileConsumed(), reader.FirstFileSize());
        if (count < kMinimumBlockSamples) {
            if (state_.block.count > 0) tally_.CountShortBlock(state_.block);
            continue;
        }
        if (!WriteBlock()) return StopOnResultsFile(messages::kCannotWriteOutput);
    }

    list_.Close();
    if (!state_.CloseFiles()) return StopOnResultsFile(messages::kCannotWriteOutput);
    tally_.TakeRecordCounts(reader.RecordCounts());
    port_.SetStatusText(StatusText::WaitNotice, "");
    Show(port_, messages::kFinished);
    return true;
}

}  // namespace

BatchJob::BatchJob() : state_(std::make_unique<JobState>()) {}

BatchJob::~BatchJob() = default;

bool BatchJob::Run(const BatchInputs& inputs, JobPort& port, const std::optional<std::filesystem::path>& rangeFile) {
    tally_ = RunTally{};
    if (inputs.rotation.MissesCoefficient()) {
        Show(port, messages::kNoPlaneCoefficients);
        return false;
    }
    if (inputs.listFile.empty()) {
        Show(port, messages::batch::kNoInputFile);
        return false;
    }
    BatchRun run(*state_, port, inputs, tally_);
    return run.Run(rangeFile);
}

}  // namespace kelvara
