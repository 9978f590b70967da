#include "jobs/RunJob.h"

#include <type_traits>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/RangeFile.h"
#include "io/ResultsFile.h"
#include "jobs/BlockLoop.h"
#include "jobs/ByteProgress.h"
#include "jobs/FileColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"
#include "jobs/MethodTraits.h"
#include "jobs/ProgressMeter.h"
#include "jobs/RangeLimitsOfJob.h"

namespace kelvara {

namespace {

using DefaultTraits = MethodTraits<Methods::Default>;
using StandardTraits = MethodTraits<Methods::Standard>;

// The run's messages for its first and second file; a file further down a
// stream gets the batch's, which names no position.
const JobMessage& CannotOpen(std::size_t file) {
    if (file == 0) return messages::single_run::kCannotOpenFirst;
    if (file == 1) return messages::single_run::kCannotOpenSecond;
    return messages::batch::kCannotOpenRaw;
}

// The default method's progress, as the desktop has always shown it: the
// blocks begun against an estimate from the first file's size.
class BlockCountProgress : public BlockObserver {
public:
    BlockCountProgress(JobPort& port, std::int64_t firstFileSize) : port_(port), meter_(port, firstFileSize) {}
    void BeforeRead() override { meter_.BlockBegun(); }
    void AfterRead(std::int64_t consumed, std::int64_t total) override { port_.ShowBytesRead(consumed, total); }
    // The block in which the file ended shows no percentage.
    void BeforeProcessing(bool last) override {
        if (!last) meter_.Show();
    }

private:
    JobPort& port_;
    ProgressMeter meter_;
};

class BytesReadProgress : public BlockObserver {
public:
    BytesReadProgress(JobPort& port, std::int64_t total) : progress_(port, total) {}
    void AfterRead(std::int64_t consumed, std::int64_t) override { progress_.Show(consumed); }

private:
    ByteProgress progress_;
};

}  // namespace

struct RunJob::States {
    std::unique_ptr<MethodState<DefaultTraits>> defaultMethod;
    // The block read while the one before is processed.
    std::unique_ptr<BlockBuffer> readAhead;
    std::unique_ptr<MethodState<StandardTraits>> standardMethod;
};

RunJob::RunJob() : states_(std::make_unique<States>()) {}

RunJob::~RunJob() = default;

template <class Traits>
auto& RunJob::State() {
    if constexpr (std::is_same_v<Traits, DefaultTraits>) {
        if (!states_->defaultMethod) {
            states_->defaultMethod = std::make_unique<MethodState<DefaultTraits>>();
            states_->readAhead = std::make_unique<BlockBuffer>();
        }
        return *states_->defaultMethod;
    } else {
        if (!states_->standardMethod) states_->standardMethod = std::make_unique<MethodState<StandardTraits>>();
        return *states_->standardMethod;
    }
}

bool RunJob::Run(const RunInputs& inputs, JobPort& port, const std::optional<std::filesystem::path>& rangeFile) {
    const std::optional<RunPlan> plan = Plan(inputs, port, rangeFile);
    return plan && Execute(*plan, port);
}

std::optional<RunPlan> RunJob::Plan(const RunInputs& inputs, JobPort& port,
                                    const std::optional<std::filesystem::path>& rangeFile) {
    tally_ = RunTally{};
    const auto stop = [&](const JobMessage& message) {
        Show(port, message);
        return std::nullopt;
    };
    RunPlan plan{.methods = inputs.methods, .files = inputs.files};

    if (inputs.rotation.MissesCoefficient()) return stop(messages::kNoPlaneCoefficients);
    if (plan.files.empty() || plan.files.front().empty()) return stop(messages::single_run::kNoFirstFile);
    if (plan.methods == Methods::Default) {
        // An empty second box names no second file; the default method asks.
        if (plan.files.size() > 1 && plan.files[1].empty()) plan.files.resize(1);
        if (plan.files.size() == 1 && port.AskNoSecondFile() == SecondFileAnswer::ReInput) return std::nullopt;
    }
    if (inputs.outputFile.empty()) return stop(messages::kNoOutputFile);

    plan.rotation = inputs.rotation.Settings();
    plan.outputName = inputs.outputFile + std::string(ResultsSuffix(plan.rotation.rotation, plan.methods));
    plan.outputPath = PathFromText(plan.outputName);
    for (const std::string& file : plan.files) plan.paths.push_back(PathFromText(file));
    // Creating the results file would destroy an input of the same name.
    std::vector<std::filesystem::path> inputsToKeep = plan.paths;
    inputsToKeep.push_back(rangeFile.value_or(RangeFilePath()));
    if (NamesAnInput(plan.outputPath, inputsToKeep)) return stop(messages::kOutputIsInput);
    // A raw file that cannot be read stops the run before its results file
    // exists; a pipe or a device is refused as well: its open could block,
    // its reading never end.
    for (std::size_t i = 0; i < plan.paths.size(); ++i) {
        if (IsSpecialFile(plan.paths[i]) || !IsReadableFile(plan.paths[i])) {
            port.ExplainFailure(plan.files[i], ReasonCannotRead(plan.paths[i]));
            return stop(CannotOpen(i));
        }
    }
    if (inputs.layouts.size() == plan.files.size()) {
        plan.layouts = inputs.layouts;
    } else if (auto layouts = FindFileColumns(inputs.input, plan.files, port)) {
        plan.layouts = std::move(*layouts);
    } else {
        return std::nullopt;
    }
    // Last of the checks: what the range file says is told only for a run that goes ahead.
    if (!LoadLimits(plan.limits, rangeFile, port, plan.diagnosis)) return std::nullopt;
    plan.goodStatus = inputs.input.goodStatus;
    plan.diagnosis.goodStatus = plan.goodStatus.Text();
    plan.diagnosis.readsByPosition = inputs.input.ReadsByPosition();
    plan.diagnosis.firstRawFile = plan.paths.front();
    return plan;
}

bool RunJob::Execute(const RunPlan& plan, JobPort& port) {
    return WithMethod(plan.methods, [&](auto traits) { return ExecuteWith<decltype(traits)>(plan, port); });
}

template <class Traits>
bool RunJob::ExecuteWith(const RunPlan& plan, JobPort& port) {
    MethodState<Traits>& state = State<Traits>();
    tally_ = RunTally{};
    state.reader.ResetCounts();
    state.reader.SetStatusRule(plan.goodStatus);
    state.limits = plan.limits;
    JobFrame frame(state, port, tally_, plan.outputName);

    const auto writeFailure = [&] { return SystemErrorText(state.results.LastError()); };
    if (!state.results.Create(plan.outputPath)) {
        return frame.StopOnFile(messages::single_run::kCannotOpenOutput, plan.outputName, writeFailure());
    }
    if (!state.results.WriteLine(Traits::kHeader)) {
        return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName, writeFailure());
    }
    if (const auto file = Traits::Blocks::Open(state.reader, plan.paths, plan.layouts)) {
        return frame.StopOnFile(CannotOpen(*file), plan.files[*file], ReasonCannotRead(plan.paths[*file]));
    }

    LoopEnd end;
    std::optional<ReadFailure> failure;
    if constexpr (std::is_same_v<Traits, DefaultTraits>) {
        BlockCountProgress progress(port, state.reader.FirstFileSize());
        DefaultBlocks blocks(state.reader, state.block, states_->readAhead.get());
        end = ProcessBlocks<Traits>(blocks, state, plan.rotation, tally_, progress);
        failure = blocks.Failure();
    } else {
        BytesReadProgress progress(port, state.reader.TotalSize());
        StandardBlocks blocks(state.reader, state.block);
        end = ProcessBlocks<Traits>(blocks, state, plan.rotation, tally_, progress);
        failure = blocks.Failure();
    }
    switch (end) {
        case LoopEnd::ReadFailed: {
            const std::string& name = plan.files[failure->file];
            if (failure->openFailed) {
                return frame.StopOnFile(CannotOpen(failure->file), name, ReasonCannotRead(plan.paths[failure->file]));
            }
            return frame.StopOnFile(messages::kCannotReadRaw, name, SystemErrorText(failure->error));
        }
        case LoopEnd::WriteFailed:
            return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName, writeFailure());
        case LoopEnd::Finished:
            break;
    }
    if (!state.CloseFiles()) return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName, writeFailure());
    return frame.Finish(plan.diagnosis);
}

}  // namespace kelvara
