#include "jobs/StandardBatchJob.h"

#include <string>

#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "jobs/BatchFile.h"
#include "jobs/BatchProgress.h"
#include "jobs/InputColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"
#include "jobs/StandardJobState.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::batch;

// The progress text counts the blocks read of each file, from 0.
class StatusTexts : public BlockObserver {
public:
    StatusTexts(JobPort& port, int fileNumber) : port_(port), fileNumber_(fileNumber) {
        ShowFileAndBlock(port_, fileNumber_, 0);
    }
    void AfterRead(std::int64_t consumed, std::int64_t total) override {
        ShowFileAndBlock(port_, fileNumber_, ++blockCounter_);
        port_.ShowBytesRead(consumed, total);
    }

private:
    JobPort& port_;
    const int fileNumber_;
    int blockCounter_ = 0;
};

bool RunBatch(StandardJobState& state, JobPort& port, const BatchInputs& inputs, RunTally& tally,
              const std::optional<std::filesystem::path>& rangeFile) {
    ListFile list;
    JobFrame frame(state, port, tally, &list);
    const RotationSettings rotation = inputs.rotation.Settings();
    const std::string suffix(ResultsSuffix(rotation.rotation, Methods::Standard));
    state.reader.ResetCounts();
    ListedLayouts layouts;
    if (!OpenBatchList(frame, list, inputs, suffix, rangeFile.value_or(RangeFilePath()), layouts)) return false;
    port.SetStatusText(StatusText::WaitNotice, kWaitNotice);
    LoadRangeLimits(state.limits, rangeFile);
    StandardBatchFile file(state, inputs, tally);
    BatchEntry entry;
    list.ReadName(entry.name);  // an empty list gives an empty first name
    int fileNumber = 1;
    do {
        entry.resultsName = entry.name + suffix;
        entry.layout = layouts.Next();
        if (auto failure = file.Start(entry)) return frame.StopOn(*failure);
        StatusTexts status(port, fileNumber++);
        if (auto failure = file.ProcessBlocks(entry, status)) return frame.StopOn(*failure);
        state.reader.Close();
        if (!state.results.Close()) {
            return frame.StopOnFile(messages::kCannotWriteOutput, entry.resultsName,
                                    SystemErrorText(state.results.LastError()));
        }
    } while (list.ReadName(entry.name));

    port.SetStatusText(StatusText::WaitNotice, "");
    return frame.Finish();
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
    return RunBatch(*state_, port, inputs, tally_, rangeFile);
}

}  // namespace kelvara
