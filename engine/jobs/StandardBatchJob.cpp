#include "jobs/StandardBatchJob.h"

#include <string>

#include "io/BlockTime.h"
#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "jobs/BatchProgress.h"
#include "jobs/InputGuard.h"
#include "jobs/InputColumns.h"
#include "jobs/JobMessages.h"
#include "jobs/StandardJobState.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::batch;

class StandardBatchRun {
public:
    StandardBatchRun(StandardJobState& state, JobPort& port, const BatchInputs& inputs, RunTally& tally)
        : state_(state),
          port_(port),
          inputs_(inputs),
          rotation_(inputs.rotation.Settings()),
          suffix_(ResultsSuffix(rotation_.rotation, Methods::Standard)),
          tally_(tally) {}

    bool Run(const std::optional<std::filesystem::path>& rangeFile);

private:
    bool Stop(const JobMessage& message) {
        list_.Close();
        state_.CloseFiles();
        tally_.TakeRecordCounts(state_.reader.Counts());
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
    std::string ResultsName() const { return name_ + std::string(suffix_); }
    // The raw file of the current name, as a stream of its own, into its
    // results file.
    bool ProcessFile();
    bool WriteBlock();

    StandardJobState& state_;
    JobPort& port_;
    const BatchInputs& inputs_;
    const RotationSettings rotation_;
    const std::string_view suffix_;
    RunTally& tally_;
    ListFile list_;
    std::vector<ColumnLayout> layouts_;  // per listed file, found before any results file
    std::string name_;
    int fileNumber_ = 1;
};

bool StandardBatchRun::WriteBlock() {
    StandardResult result;
    const BlockOutcome outcome = ProcessStandardBlock(state_.block, state_.limits, rotation_, result);
    tally_.CountScreenedBlock(state_.block, outcome);
    char time[kBlockTimeSize];
    FormatBlockTime(state_.reader.BlockDate(), state_.reader.BlockKey(), time);
    if (outcome == BlockOutcome::Rejected) return state_.results.WriteRejectedLine(time);
    return state_.results.WriteBlockLine(time, result);
}

bool StandardBatchRun::ProcessFile() {
    const auto rawPath = PathFromText(name_);
    const auto resultsPath = PathFromText(ResultsName());
    // Creating the results file would destroy an input of the same name.
    if (IsSameFile(resultsPath, rawPath) || IsSameFile(resultsPath, PathFromText(inputs_.listFile))) {
        return Stop(messages::kOutputIsInput);
    }
    // A raw file that cannot be read is refused before its results file exists.
    if (IsSpecialFile(rawPath) || !IsReadableFile(rawPath)) {
        return StopOnFile(kCannotOpenRaw, name_, ReasonCannotRead(rawPath));
    }
    if (!state_.results.Create(resultsPath)) return StopOnResultsFile(kCannotOpenOutput);
    if (!state_.results.WriteHeader()) return StopOnResultsFile(messages::kCannotWriteOutput);

    StreamReader& reader = state_.reader;
    const auto index = static_cast<std::size_t>(fileNumber_ - 1);
    reader.Start({rawPath}, {index < layouts_.size() ? layouts_[index] : ColumnLayout{}});
    int blockCounter = 0;
    ShowFileAndBlock(port_, fileNumber_, blockCounter);
    while (reader.ReadBlock(state_.block)) {
        ShowFileAndBlock(port_, fileNumber_, ++blockCounter);
        port_.ShowBytesRead(reader.Consumed(), reader.TotalSize());
        if (state_.block.count < kMinimumBlockSamples) {
            if (state_.block.count > 0) tally_.CountShortBlock(state_.block);
            continue;
        }
        if (!WriteBlock()) return StopOnResultsFile(messages::kCannotWriteOutput);
    }
    if (reader.OpenFailed()) return StopOnFile(kCannotOpenRaw, name_, ReasonCannotRead(rawPath));
    if (reader.Failed()) return StopOnFile(messages::kCannotReadRaw, name_, SystemErrorText(reader.FailureError()));
    reader.Close();
    if (!state_.results.Close()) return StopOnResultsFile(messages::kCannotWriteOutput);
    return true;
}

bool StandardBatchRun::Run(const std::optional<std::filesystem::path>& rangeFile) {
    state_.reader.ResetCounts();
    const auto listPath = PathFromText(inputs_.listFile);
    if (!list_.Open(listPath)) return StopOnFile(kCannotOpenList, inputs_.listFile, ReasonCannotRead(listPath));
    if (ListNamesAnInputAsResults(listPath, rangeFile.value_or(RangeFilePath()), suffix_)) {
        return Stop(messages::kOutputIsInput);
    }
    std::string refusal;
    if (!PrepareColumns(inputs_.input, ListedNames(listPath), port_, layouts_, refusal)) {
        return Stop(ColumnsRefused(refusal));
    }
    state_.reader.SetStatusRule(inputs_.input.goodStatus);
    port_.SetStatusText(StatusText::WaitNotice, kWaitNotice);
    LoadRangeLimits(state_.limits, rangeFile);
    list_.ReadName(name_);  // an empty list gives an empty first name
    do {
        if (!ProcessFile()) return false;
        ++fileNumber_;
    } while (list_.ReadName(name_));

    list_.Close();
    tally_.TakeRecordCounts(state_.reader.Counts());
    port_.SetStatusText(StatusText::WaitNotice, "");
    Show(port_, messages::kFinished);
    return true;
}

}  // namespace

StandardBatchJob::StandardBatchJob() : state_(std::make_unique<StandardJobState>()) {}

StandardBatchJob::~StandardBatchJob() = default;

bool StandardBatchJob::Run(const BatchInputs& inputs, JobPort& port,
                           const std::optional<std::filesystem::path>& rangeFile) {
    tally_ = RunTally{};
    if (inputs.rotation.MissesCoefficient()) {
        Show(port, messages::kNoPlaneCoefficients);
        return false;
    }
    if (inputs.listFile.empty()) {
        Show(port, messages::batch::kNoInputFile);
        return false;
    }
    StandardBatchRun run(*state_, port, inputs, tally_);
    return run.Run(rangeFile);
}

}  // namespace kelvara
