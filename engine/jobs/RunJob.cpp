#include "jobs/RunJob.h"

#include <algorithm>
#include <utility>
#include <type_traits>

#include "io/Calendar.h"
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
#include "jobs/ProvenanceFile.h"
#include "jobs/RangeLimitsOfJob.h"
#include "jobs/ReadFailures.h"
#include "jobs/ResultTable.h"
#include "jobs/StreamOrder.h"
#include "jobs/StreamShares.h"
#include "io/RawBytes.h"

namespace kelvara {

namespace {

using DefaultTraits = MethodTraits<Methods::Default>;

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
    bool Cancelled() const override { return port_.CancelRequested(); }
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
    BytesReadProgress(JobPort& port, std::int64_t total) : port_(port), progress_(port, total) {}
    bool Cancelled() const override { return port_.CancelRequested(); }
    void AfterRead(std::int64_t consumed, std::int64_t) override { progress_.Show(consumed); }

private:
    const JobPort& port_;
    ByteProgress progress_;
};

std::int64_t TotalSize(const std::vector<std::filesystem::path>& paths) {
    std::int64_t total = 0;
    for (const auto& path : paths) {
        total += RawContentSize(path);
    }
    return total;
}

// The files whose first record falls in the month, as [first, end) of the
// stream's files in time order.
std::pair<std::size_t, std::size_t> FilesOfMonth(const std::vector<std::optional<TimePoint>>& firstTimes,
                                                 const StreamMonth& month) {
    const auto startOf = [](int year, int monthOfYear) {
        return static_cast<TimePoint>(DaysSinceEpoch({year, monthOfYear, 1})) * 86400 * kNanosecondsPerSecond;
    };
    const TimePoint begin = startOf(month.year, month.month);
    const TimePoint end = month.month == 12 ? startOf(month.year + 1, 1) : startOf(month.year, month.month + 1);
    std::size_t first = 0;
    while (first < firstTimes.size() && firstTimes[first] && *firstTimes[first] < begin) ++first;
    std::size_t last = first;
    while (last < firstTimes.size() && firstTimes[last] && *firstTimes[last] < end) ++last;
    return {first, last};
}

// The checks of the files of a stream: each once, in time order, and for
// the corrections a site and a sampling frequency. False after the message.
bool PlanStream(const RunInputs& inputs, RunPlan& plan, JobPort& port) {
    StreamFiles files{std::move(plan.files), std::move(plan.paths), std::move(plan.layouts), {}};
    const bool ordered = OrderStreamFiles(files, port);
    plan.files = std::move(files.names);
    plan.paths = std::move(files.paths);
    plan.layouts = std::move(files.layouts);
    plan.firstTimes = std::move(files.firstTimes);
    if (!ordered) return false;
    if (plan.methods != Methods::Corrected) return true;
    if (!inputs.site) {
        Show(port, messages::kNoSiteFile);
        return false;
    }
    return FindSamplingFrequency(*inputs.site, {plan.files, plan.paths, plan.layouts, {}}, port, plan.flux,
                                 plan.fsFromTimeStamps);
}

}  // namespace

struct RunJob::States : MethodStates {
    // The blocks the methods read while the one before is processed.
    BlockBuffer readAhead;
    StandardBlock standardReadAhead;
};

RunJob::RunJob() : states_(std::make_unique<States>()) {}

RunJob::~RunJob() = default;

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
    if (plan.methods == Methods::Corrected) inputsToKeep.push_back(ProvenancePathOf(plan.outputPath));
    if (NamesAnInput(plan.outputPath, inputsToKeep)) return stop(messages::kOutputIsInput);
    if (plan.methods == Methods::Corrected && NamesAnInput(ProvenancePathOf(plan.outputPath), plan.paths)) {
        return stop(messages::kOutputIsInput);
    }
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
    if (ReadsStreams(plan.methods) && !PlanStream(inputs, plan, port)) return std::nullopt;
    // Last of the checks: what the range file says is told only for a run that goes ahead.
    if (!LoadLimits(plan.limits, rangeFile, port, plan.diagnosis)) return std::nullopt;
    plan.goodStatus = inputs.input.goodStatus;
    plan.input = inputs.input;
    plan.jobs = std::max(1, inputs.jobs);
    if (ReadsStreams(plan.methods)) plan.month = inputs.month;
    plan.diagnosis.goodStatus = plan.goodStatus.Text();
    plan.diagnosis.readsByPosition = !plan.layouts.front().mapped;
    plan.diagnosis.firstRawFile = plan.paths.front();
    plan.diagnosis.firstLayout = plan.layouts.front();
    return plan;
}

bool RunJob::Execute(const RunPlan& plan, JobPort& port) {
    return WithMethod(plan.methods, [&](auto traits) { return ExecuteWith<decltype(traits)>(plan, port); });
}

template <class Traits>
bool RunJob::ExecuteWith(const RunPlan& plan, JobPort& port) {
    MethodState<Traits>& state = states_->Of<Traits>();
    tally_ = RunTally{};
    month_.reset();
    state.reader.ResetCounts();
    state.reader.SetStatusRule(plan.goodStatus);
    state.limits = plan.limits;
    if constexpr (Traits::kMethods == Methods::Corrected) state.step.SetSettings(plan.flux);
    JobFrame frame(state, port, tally_, plan.outputName);
    if (table_ != nullptr) table_->Clear();

    const auto writeFailure = [&] { return SystemErrorText(state.results.LastError()); };
    if (!state.results.Create(plan.outputPath, Traits::Step::kLineEnd)) {
        return frame.StopOnFile(messages::single_run::kCannotOpenOutput, plan.outputName, writeFailure());
    }
    if (!state.results.WriteLine(Traits::kHeader)) {
        return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName, writeFailure());
    }
    bool read = false;
    if constexpr (std::is_same_v<Traits, DefaultTraits>) {
        read = ReadDefault<Traits>(plan, port, state, frame);
    } else if (plan.month) {
        read = ReadMonth<Traits>(plan, port, state, frame);
    } else if (std::min<std::size_t>(static_cast<std::size_t>(plan.jobs), plan.paths.size()) > 1) {
        read = ReadStreamInShares<Traits>(plan, port, state, frame);
    } else {
        read = ReadStream<Traits>(plan, port, state, frame);
    }
    if (!read) return false;
    if (port.CancelRequested()) return frame.Abandon();

    // How the corrected fluxes were made goes in place with them.
    TemporaryFile provenance;
    if constexpr (Traits::kMethods == Methods::Corrected) {
        const ProvenanceInputs inputs{plan.flux, plan.fsFromTimeStamps, plan.rotation, plan.limits, plan.input,
                                      plan.files};
        if (!WriteProvenance(ProvenancePathOf(plan.outputPath), inputs, provenance)) {
            return frame.StopOnFile(messages::kCannotWriteOutput, ProvenancePathOf(plan.outputPath).string(),
                                    SystemErrorText(provenance.LastError()));
        }
    }
    if (!state.CloseFiles()) return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName, writeFailure());
    if (provenance.IsCreated() && !provenance.Commit()) {
        return frame.StopOnFile(messages::kCannotWriteOutput, provenance.Target().string(),
                                SystemErrorText(provenance.LastError()));
    }
    if (month_ && month_->files == 0) return frame.FinishEmpty();
    return frame.Finish(plan.diagnosis);
}

namespace {

// How the loop ended, told through the frame; true when it read everything.
template <class Frame, class State>
bool TellLoopEnd(LoopEnd end, const std::optional<ReadFailure>& failure, const RunPlan& plan, State& state,
                 Frame& frame) {
    switch (end) {
        case LoopEnd::ReadFailed: {
            const std::size_t file = failure->file;
            return frame.StopOn(DescribeReadFailure(*failure, plan.files[file], plan.paths[file], CannotOpen(file)),
                                KeepsPartialResults(*failure));
        }
        case LoopEnd::WriteFailed:
            return frame.StopOnFile(messages::kCannotWriteOutput, plan.outputName,
                                    SystemErrorText(state.results.LastError()));
        case LoopEnd::OutOfMemory:
            return frame.Stop(messages::kOutOfMemory);
        case LoopEnd::Finished:
            break;
    }
    return true;
}

}  // namespace

template <class Traits, class Frame>
bool RunJob::ReadDefault(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame) {
    if (const auto file = Traits::Blocks::Open(state.reader, plan.paths, plan.layouts)) {
        return frame.StopOnFile(CannotOpen(*file), plan.files[*file], ReasonCannotRead(plan.paths[*file]));
    }
    BlockCountProgress progress(port, state.reader.FirstFileSize());
    DefaultBlocks blocks(state.reader, state.block, &states_->readAhead);
    ResultsFileSink<Traits> file(state.results);
    std::optional<TableSink<Traits>> table;
    if (table_ != nullptr) table.emplace(*table_);
    TeeSink<Traits> sink(file, table ? &*table : nullptr);
    const LoopEnd end = ProcessBlocks<Traits>(blocks, state, plan.rotation, tally_, progress, sink);
    // The reader is the job's again before a stop closes it.
    blocks.StopReading();
    return TellLoopEnd(end, blocks.Failure(), plan, state, frame);
}

template <class Traits, class Frame>
bool RunJob::ReadStream(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame) {
    Traits::Blocks::Open(state.reader, plan.paths, plan.layouts);
    BytesReadProgress progress(port, state.reader.TotalSize());
    typename Traits::Blocks blocks(state.reader, state.block, &states_->standardReadAhead);
    ResultsFileSink<Traits> file(state.results);
    std::optional<TableSink<Traits>> table;
    if (table_ != nullptr) table.emplace(*table_);
    TeeSink<Traits> sink(file, table ? &*table : nullptr);
    const LoopEnd end = ProcessBlocks<Traits>(blocks, state, plan.rotation, tally_, progress, sink);
    blocks.StopReading();
    ReportEarlierDropped(port, plan.files, state.reader.EarlierDropped());
    return TellLoopEnd(end, blocks.Failure(), plan, state, frame);
}

template <class Traits, class Frame>
bool RunJob::ReadStreamInShares(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame) {
    StreamSettings settings{&plan.paths, &plan.layouts, plan.goodStatus, plan.limits, plan.rotation, plan.flux};
    settings.keepTable = table_ != nullptr;
    settings.port = &port;
    ByteProgress progress(port, TotalSize(plan.paths));
    const auto showProgress = [&](const std::vector<ShareOutcome>& shares) {
        std::int64_t consumed = 0;
        for (const ShareOutcome& share : shares) consumed += share.consumed.load(std::memory_order_relaxed);
        progress.Show(consumed);
    };
    const std::vector<ShareOutcome> shares =
        kelvara::ReadStreamInShares<Traits>(settings, static_cast<std::size_t>(plan.jobs), showProgress);
    showProgress(shares);

    // The shares in stream order, as one reader would have met them, up to
    // the first that stopped.
    ReadCounts counts;
    std::vector<std::int64_t> dropped;
    for (const ShareOutcome& share : shares) {
        tally_ += share.tally;
        counts.records += share.tally.recordsRead;
        counts.badStatus += share.tally.recordsBadStatus;
        dropped.insert(dropped.end(), share.earlierDropped.begin(), share.earlierDropped.end());
        frame.UseRecordCounts(counts);
        if (table_ != nullptr) table_->Append(share.table);
        if (!state.results.WriteLines(share.lines)) {
            ReportEarlierDropped(port, plan.files, dropped);
            return TellLoopEnd(LoopEnd::WriteFailed, std::nullopt, plan, state, frame);
        }
        if (share.end != LoopEnd::Finished) {
            ReportEarlierDropped(port, plan.files, dropped);
            return TellLoopEnd(share.end, share.failure, plan, state, frame);
        }
    }
    ReportEarlierDropped(port, plan.files, dropped);
    return true;
}

template <class Traits, class Frame>
bool RunJob::ReadMonth(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame) {
    const auto [first, end] = FilesOfMonth(plan.firstTimes, *plan.month);
    month_ = MonthOutcome{.files = end - first};
    if (first == end) {
        port.ShowWarning("no raw file of the stream starts in this month: its results hold no half hour");
        return true;
    }
    StreamSettings settings{&plan.paths, &plan.layouts, plan.goodStatus, plan.limits, plan.rotation, plan.flux};
    settings.keepTable = table_ != nullptr;
    settings.port = &port;
    ShareOutcome share;
    if (plan.month->keptBefore) {
        share.keptBefore = plan.month->keptBefore;
    } else if (first > 0) {
        share.keptBefore = GuessKeptBefore(settings, {0, first})[1];
    }
    ReadShare(state, settings, first, end - first, share);
    month_->keptBefore = share.keptBefore;
    month_->latestGood = share.latestGood;

    tally_ += share.tally;
    frame.UseRecordCounts(ReadCounts{share.tally.recordsRead, share.tally.recordsBadStatus});
    if (table_ != nullptr) table_->Append(share.table);
    const std::vector<std::string> ownNames(plan.files.begin() + static_cast<std::ptrdiff_t>(first),
                                            plan.files.begin() + static_cast<std::ptrdiff_t>(end));
    ReportEarlierDropped(port, ownNames, share.earlierDropped);
    if (!state.results.WriteLines(share.lines)) {
        return TellLoopEnd(LoopEnd::WriteFailed, std::nullopt, plan, state, frame);
    }
    return TellLoopEnd(share.end, share.failure, plan, state, frame);
}

}  // namespace kelvara
