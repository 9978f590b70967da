#include "jobs/BatchJob.h"

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
#include "jobs/JobState.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

namespace {

using namespace messages::batch;

// The desktop's progress text: the block counter rises before each block
// is read, except the first one of a file after the first.
class StatusTexts : public BlockObserver {
public:
    explicit StatusTexts(JobPort& port) : port_(port) {}

    void BeforeRead() override {
        if (firstReadOfNextFile_) {
            firstReadOfNextFile_ = false;
            return;
        }
        Count();
    }
    void AfterRead(std::int64_t consumed, std::int64_t total) override { port_.ShowBytesRead(consumed, total); }
    void Count() { ShowFileAndBlock(port_, fileNumber_, ++blockCounter_); }
    void Show() { ShowFileAndBlock(port_, fileNumber_, blockCounter_); }
    void NextFile() {
        blockCounter_ = 0;
        ++fileNumber_;
        Show();
        firstReadOfNextFile_ = true;
    }

private:
    JobPort& port_;
    int fileNumber_ = 1;
    int blockCounter_ = 0;
    bool firstReadOfNextFile_ = false;
};

bool RunBatch(JobState& state, JobPort& port, const BatchInputs& inputs, RunTally& tally,
              const std::optional<std::filesystem::path>& rangeFile) {
    ListFile list;
    JobFrame frame(state, port, tally, &list);
    const RotationSettings rotation = inputs.rotation.Settings();
    const std::string suffix(ResultsSuffix(rotation.rotation));
    state.reader.ResetCounts();
    ListedLayouts layouts;
    if (!OpenBatchList(frame, list, inputs, suffix, rangeFile.value_or(RangeFilePath()), layouts)) return false;
    port.SetStatusText(StatusText::WaitNotice, kWaitNotice);
    DefaultBatchFile file(state, inputs, tally);
    BatchEntry entry;
    list.ReadName(entry.name);  // an empty list gives an empty first name
    entry.resultsName = entry.name + suffix;
    entry.layout = layouts.Next();
    if (auto failure = file.Start(entry)) return frame.StopOn(*failure);
    LoadRangeLimits(state.limits, rangeFile);
    StatusTexts status(port);
    status.Show();

    for (;;) {
        if (auto failure = file.ProcessBlocks(entry, status)) return frame.StopOn(*failure);
        // The pass that finds the file ended still counts.
        status.Count();
        status.NextFile();
        state.reader.Close();
        if (!state.results.Close()) {
            return frame.StopOnFile(messages::kCannotWriteOutput, entry.resultsName,
                                    SystemErrorText(state.results.LastError()));
        }
        if (!list.ReadName(entry.name)) break;
        entry.resultsName = entry.name + suffix;
        entry.layout = layouts.Next();
        // Opening the next raw file forgets everything read from the previous one.
        if (auto failure = file.Start(entry)) return frame.StopOn(*failure);
    }
    port.SetStatusText(StatusText::WaitNotice, "");
    return frame.Finish();
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
    return RunBatch(*state_, port, inputs, tally_, rangeFile);
}

}  // namespace kelvara
