#include "jobs/BatchJob.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <set>
#include <thread>
#include <type_traits>
#include <utility>

#include "io/BlockTime.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "io/ResultsFile.h"
#include "io/TemporaryFile.h"
#include "jobs/FileColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"
#include "jobs/MethodTraits.h"
#include "jobs/OrderedOutcomes.h"
#include "jobs/ProvenanceFile.h"
#include "jobs/RangeLimitsOfJob.h"
#include "jobs/ReadFailures.h"
#include "jobs/ResultTable.h"
#include "jobs/StreamOrder.h"
#include "io/RawBytes.h"

namespace kelvara {

namespace {

namespace fs = std::filesystem;
using namespace messages::batch;

// How often the driver redraws the progress while it waits for workers.
constexpr std::chrono::milliseconds kProgressInterval{100};
// Each worker may be this many entries ahead of the one taken next, so that
// a long file does not idle the others.
constexpr std::size_t kEntriesAheadPerWorker = 2;
// Keeps the temporaries of the entries in hand within what a signal handler
// can remove.
constexpr int kMaxJobs = static_cast<int>(PendingTemporaries::kSlots / kEntriesAheadPerWorker);

struct EntryOutcome {
    TemporaryFile results;     // what was written, closed but not yet in place
    TemporaryFile provenance;  // the corrected method's, put in place after the results
    std::optional<FileFailure> failure;
    bool keepPartial = true;  // what was written is worth keeping after the failure
    RunTally tally;
    std::int64_t earlierDropped = 0;      // records earlier than those before them
    std::vector<std::int64_t> halfHours;  // of its lines (the standard methods), in time order
};

// Keeps the half hour of each line a file's results get.
template <class Traits>
class HalfHoursSink : public HalfHourSink<Traits> {
public:
    explicit HalfHoursSink(std::vector<std::int64_t>& halfHours) : halfHours_(halfHours) {}
    bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result*) override {
        halfHours_.push_back(read.halfHour);
        return true;
    }

private:
    std::vector<std::int64_t>& halfHours_;
};

using Outcomes = OrderedOutcomes<EntryOutcome>;

FileFailure OnResultsFile(const JobMessage& message, const BatchEntry& entry, int error) {
    return {message, entry.resultsName, SystemErrorText(error)};
}

FileFailure OnRawFile(const BatchEntry& entry) {
    return {kCannotOpenRaw, entry.name, ReasonCannotRead(PathFromText(entry.name))};
}

// What would keep an entry from its results file, found without writing.
std::optional<FileFailure> CheckEntry(const BatchEntry& entry, const fs::path& listPath) {
    const auto rawPath = PathFromText(entry.name);
    const auto resultsPath = PathFromText(entry.resultsName);
    // Creating the results file would destroy an input of the same name.
    if (IsSameFile(resultsPath, rawPath) || IsSameFile(resultsPath, listPath)) {
        return FileFailure{messages::kOutputIsInput, std::nullopt, ""};
    }
    // A raw file that cannot be read gets no results file; a pipe or a
    // device is refused as well.
    if (IsSpecialFile(rawPath) || !IsReadableFile(rawPath)) return OnRawFile(entry);
    return std::nullopt;
}

// The corrected method's settings for the entry: the site's, with the
// sampling frequency of its raw file when the site leaves it to the data.
template <class Traits>
std::optional<FileFailure> PrepareCorrections(MethodState<Traits>& state, const BatchPlan& plan,
                                              const BatchEntry& entry, FluxSettings& settings, bool& fsFromTimeStamps) {
    if constexpr (Traits::kMethods == Methods::Corrected) {
        const auto failure =
            ResolveSamplingFrequency(*plan.site, PathFromText(entry.name), entry.layout, settings, fsFromTimeStamps);
        if (failure) return FileFailure{*failure->message, entry.name, failure->reason};
        state.step.SetSettings(settings);
    }
    return std::nullopt;
}

// The results file with its header line, and the raw file opened.
template <class Traits>
std::optional<FileFailure> StartEntry(MethodState<Traits>& state, const BatchEntry& entry) {
    const auto rawPath = PathFromText(entry.name);
    const auto resultsPath = PathFromText(entry.resultsName);
    if (!state.results.Create(resultsPath, Traits::Step::kLineEnd)) {
        return OnResultsFile(kCannotOpenOutput, entry, state.results.LastError());
    }
    if (!state.results.WriteLine(Traits::kHeader)) {
        return OnResultsFile(messages::kCannotWriteOutput, entry, state.results.LastError());
    }
    if (Traits::Blocks::Open(state.reader, {rawPath}, {entry.layout})) return OnRawFile(entry);
    return std::nullopt;
}

template <class Traits>
std::optional<FileFailure> ProcessEntryBlocks(MethodState<Traits>& state, const BatchEntry& entry,
                                              const RotationSettings& rotation, BlockObserver& observer,
                                              EntryOutcome& outcome) {
    LoopEnd end;
    std::optional<ReadFailure> failure;
    ResultsFileSink<Traits> sink(state.results);
    if constexpr (std::is_same_v<typename Traits::Blocks, DefaultBlocks>) {
        DefaultBlocks blocks(state.reader, state.block, nullptr);
        end = ProcessBlocks<Traits>(blocks, state, rotation, outcome.tally, observer, sink);
        failure = blocks.Failure();
    } else {
        typename Traits::Blocks blocks(state.reader, state.block);
        HalfHoursSink<Traits> halfHours(outcome.halfHours);
        TeeSink<Traits> lines(sink, &halfHours);
        end = ProcessBlocks<Traits>(blocks, state, rotation, outcome.tally, observer, lines);
        failure = blocks.Failure();
        if (!state.reader.EarlierDropped().empty()) outcome.earlierDropped = state.reader.EarlierDropped().front();
    }
    switch (end) {
        case LoopEnd::ReadFailed:
            outcome.keepPartial = KeepsPartialResults(*failure);
            return DescribeReadFailure(*failure, entry.name, PathFromText(entry.name), kCannotOpenRaw);
        case LoopEnd::WriteFailed:
            return OnResultsFile(messages::kCannotWriteOutput, entry, state.results.LastError());
        case LoopEnd::OutOfMemory:
            return FileFailure{messages::kOutOfMemory, entry.name, "a half hour of it does not fit in memory"};
        case LoopEnd::Finished:
            break;
    }
    return std::nullopt;
}

// One entry from its checks to its closed results, which stay under their
// temporary name until the driver puts them in place.
template <class Traits>
EntryOutcome ProcessEntry(MethodState<Traits>& state, const BatchPlan& plan, std::size_t index, BlockObserver& observer,
                          BatchObserver* batchObserver) {
    const BatchEntry& entry = plan.entries[index];
    EntryOutcome outcome;
    FluxSettings settings;
    bool fsFromTimeStamps = false;
    state.reader.ResetCounts();
    try {
        outcome.failure = CheckEntry(entry, plan.listPath);
        if (!outcome.failure) outcome.failure = PrepareCorrections(state, plan, entry, settings, fsFromTimeStamps);
        if (!outcome.failure) outcome.failure = StartEntry(state, entry);
        if (!outcome.failure) {
            if (batchObserver != nullptr) batchObserver->FileStarted(static_cast<int>(index) + 1);
            outcome.failure = ProcessEntryBlocks(state, entry, plan.rotation, observer, outcome);
            if (!outcome.failure && batchObserver != nullptr) batchObserver->FileEnded();
        }
    } catch (const std::exception& error) {
        outcome.failure = FileFailure{messages::kCannotReadRaw, entry.name, error.what()};
    }
    state.reader.Close();
    if (!state.results.Finish(outcome.results) && !outcome.failure) {
        outcome.failure = OnResultsFile(messages::kCannotWriteOutput, entry, state.results.LastError());
    }
    if constexpr (Traits::kMethods == Methods::Corrected) {
        const auto resultsPath = PathFromText(entry.resultsName);
        const ProvenanceInputs inputs{settings, fsFromTimeStamps, plan.rotation, plan.limits, plan.input, {entry.name}};
        if (!outcome.failure && !WriteProvenance(ProvenancePathOf(resultsPath), inputs, outcome.provenance)) {
            outcome.failure = FileFailure{messages::kCannotWriteOutput, ProvenancePathOf(resultsPath).string(),
                                          SystemErrorText(outcome.provenance.LastError())};
        }
    }
    outcome.tally.TakeRecordCounts(state.reader.RecordCounts());
    return outcome;
}

std::string BaseName(const std::string& name) {
#ifdef _WIN32
    const auto slash = name.find_last_of("/\\");
#else
    const auto slash = name.find_last_of('/');
#endif
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string ResultsNameOf(const std::string& name, std::string_view suffix, const std::string& outputDir) {
    if (outputDir.empty()) return name + std::string(suffix);
    const bool separated = outputDir.back() == '/' || outputDir.back() == '\\';
    return outputDir + (separated ? "" : "/") + BaseName(name) + std::string(suffix);
}

fs::path Comparable(const std::string& name) {
    std::error_code ignored;
    return fs::absolute(PathFromText(name), ignored).lexically_normal();
}

// A name that reads what an earlier name of the batch writes: only the
// sequential order gives it that file.
bool ReadsAnEarlierResult(const std::vector<BatchEntry>& entries) {
    std::set<fs::path> written;
    for (const BatchEntry& entry : entries) {
        if (written.count(Comparable(entry.name)) != 0) return true;
        written.insert(Comparable(entry.resultsName));
    }
    return false;
}

std::int64_t TotalSize(const std::vector<BatchEntry>& entries) {
    std::int64_t total = 0;
    for (const BatchEntry& entry : entries) {
        total += RawContentSize(PathFromText(entry.name));
    }
    return total;
}

// The batch's progress for ports that draw it: files in place and bytes read.
struct BatchProgress {
    JobPort& port;
    const int filesTotal;
    const std::int64_t bytesTotal;
    std::atomic<std::int64_t> bytesDone{0};
    int filesDone = 0;

    void Show() { port.ShowBatchProgress(filesDone, filesTotal, bytesDone.load(), bytesTotal); }
};

// Counts a file's bytes into the batch's progress as its blocks are read,
// and tells the front door's observer, if any, of every block.
class EntryObserver : public BlockObserver {
public:
    EntryObserver(BatchProgress& progress, BlockObserver* inner, const Outcomes* outcomes, bool showProgress)
        : progress_(progress), inner_(inner), outcomes_(outcomes), showProgress_(showProgress) {}
    bool Cancelled() const override { return outcomes_ != nullptr && outcomes_->Stopped(); }
    void BeforeRead() override {
        if (inner_ != nullptr) inner_->BeforeRead();
    }
    void AfterRead(std::int64_t consumed, std::int64_t total) override {
        progress_.bytesDone.fetch_add(consumed - counted_, std::memory_order_relaxed);
        counted_ = consumed;
        if (inner_ != nullptr) inner_->AfterRead(consumed, total);
        if (showProgress_) progress_.Show();
    }
    void BeforeProcessing(bool last) override {
        if (inner_ != nullptr) inner_->BeforeProcessing(last);
    }

private:
    BatchProgress& progress_;
    BlockObserver* inner_;
    const Outcomes* outcomes_;
    const bool showProgress_;  // on the driver's own thread only
    std::int64_t counted_ = 0;
};

// The worker threads; whatever way the driver leaves, they are stopped and
// joined before the outcomes they deliver to go away.
class WorkerThreads {
public:
    explicit WorkerThreads(Outcomes& outcomes) : outcomes_(outcomes) {}
    ~WorkerThreads() { StopAndJoin(); }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    template <class Body>
    void Start(std::size_t count, Body body) {
        for (std::size_t w = 0; w < count; ++w) threads_.emplace_back(body);
    }
    // What the workers had in hand is dropped, its temporaries removed.
    void StopAndJoin() {
        outcomes_.Stop();
        threads_.clear();
    }

private:
    Outcomes& outcomes_;
    std::vector<std::jthread> threads_;
};

// A half hour a file of the batch has a line for.
struct FileHalfHour {
    std::int64_t halfHour = 0;
    std::size_t entry = 0;
    auto operator<=>(const FileHalfHour&) const = default;
};

// Files that share a half hour give a line each for it, from part of its
// records: the user is told, once, with the first such half hour and the
// number of pairs of files that share one.
void TellSharedHalfHours(JobPort& port, const std::vector<BatchEntry>& entries, std::vector<FileHalfHour> lines) {
    std::sort(lines.begin(), lines.end());
    std::set<std::pair<std::size_t, std::size_t>> pairs;
    std::optional<FileHalfHour> example;
    std::size_t exampleSecond = 0;
    for (std::size_t from = 0; from < lines.size();) {
        std::size_t to = from + 1;
        while (to < lines.size() && lines[to].halfHour == lines[from].halfHour) ++to;
        for (std::size_t a = from; a < to; ++a) {
            for (std::size_t b = a + 1; b < to; ++b) {
                if (lines[a].entry == lines[b].entry) continue;
                pairs.insert({lines[a].entry, lines[b].entry});
                if (!example) {
                    example = lines[a];
                    exampleSecond = lines[b].entry;
                }
            }
        }
        from = to;
    }
    if (!example) return;
    char time[kBlockTimeSize];
    FormatHalfHourEnd(example->halfHour, time);
    port.ShowSharedHalfHours(entries[example->entry].name, entries[exampleSecond].name, time,
                             static_cast<int>(pairs.size()));
}

}  // namespace

struct BatchJob::OwnStates : MethodStates {};

int HardwareThreads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

BatchJob::BatchJob() : ownStates_(std::make_unique<OwnStates>()) {}

BatchJob::~BatchJob() = default;

BatchJob::End BatchJob::Run(const BatchInputs& inputs, JobPort& port,
                            const std::optional<std::filesystem::path>& rangeFile, BatchObserver* observer) {
    const std::optional<BatchPlan> plan = Plan(inputs, port, rangeFile);
    if (!plan) return sameOutputNames_.empty() ? End::Failed : End::SameOutputName;
    return Execute(*plan, port, observer);
}

std::optional<BatchPlan> BatchJob::Plan(const BatchInputs& inputs, JobPort& port,
                                        const std::optional<std::filesystem::path>& rangeFile) {
    tally_ = RunTally{};
    filesDone_ = 0;
    failedNames_.clear();
    sameOutputNames_.clear();
    const auto stop = [&](const JobMessage& message) {
        Show(port, message);
        return std::nullopt;
    };
    if (inputs.rotation.MissesCoefficient()) return stop(messages::kNoPlaneCoefficients);
    if (inputs.listFile.empty()) return stop(kNoInputFile);
    if (inputs.methods == Methods::Corrected && !inputs.site) return stop(messages::kNoSiteFile);

    BatchPlan plan{.methods = inputs.methods,
                   .listPath = PathFromText(inputs.listFile),
                   .rotation = inputs.rotation.Settings(),
                   .goodStatus = inputs.input.goodStatus,
                   .input = inputs.input,
                   .site = inputs.site,
                   .options = inputs.options};
    ListNames list = ReadListNames(plan.listPath);
    if (list.status == ListNames::Status::CannotOpen) {
        port.ExplainFailure(inputs.listFile, ReasonCannotRead(plan.listPath));
        return stop(kCannotOpenList);
    }
    if (list.status == ListNames::Status::ReadFailed) {
        port.ExplainFailure(inputs.listFile, SystemErrorText(list.error));
        return stop(kCannotReadList);
    }
    plan.names = std::move(list.names);
    // An empty list names one file: the empty name.
    if (plan.names.empty()) plan.names.emplace_back();

    const std::string_view suffix = ResultsSuffix(plan.rotation.rotation, plan.methods);
    std::vector<std::string> resultsNames;
    std::map<std::string, std::size_t> firstWithResults;
    for (std::size_t i = 0; i < plan.names.size(); ++i) {
        resultsNames.push_back(ResultsNameOf(plan.names[i], suffix, plan.options.outputDir));
        if (plan.options.outputDir.empty()) continue;
        const auto [first, inserted] = firstWithResults.emplace(resultsNames.back(), i);
        if (!inserted) {
            sameOutputNames_ = {plan.names[first->second], plan.names[i], resultsNames.back()};
            return std::nullopt;
        }
    }
    std::vector<std::string> written = resultsNames;
    if (plan.methods == Methods::Corrected) {
        for (const std::string& name : resultsNames) written.push_back(ProvenancePathOf(PathFromText(name)).string());
    }
    if (ResultsNameAnInput(plan.names, written, plan.listPath, rangeFile.value_or(RangeFilePath()))) {
        return stop(messages::kOutputIsInput);
    }
    auto layouts = FindFileColumns(inputs.input, plan.names, port);
    if (!layouts) return std::nullopt;
    plan.layouts = std::move(*layouts);

    const auto shards = static_cast<std::size_t>(std::max(1, plan.options.shardCount));
    for (auto i = static_cast<std::size_t>(std::max(0, plan.options.shardIndex)); i < plan.names.size(); i += shards) {
        plan.entries.push_back({plan.names[i], resultsNames[i], plan.layouts[i]});
    }
    if (!LoadLimits(plan.limits, rangeFile, port, plan.diagnosis)) return std::nullopt;
    plan.diagnosis.goodStatus = plan.goodStatus.Text();
    plan.diagnosis.readsByPosition = !plan.layouts.front().mapped;
    plan.diagnosis.firstRawFile = PathFromText(plan.names.front());
    plan.diagnosis.firstLayout = plan.layouts.front();
    return plan;
}

BatchJob::End BatchJob::Execute(const BatchPlan& plan, JobPort& port, BatchObserver* observer) {
    // The output folder is made as mkdir -p makes it.
    if (!plan.options.outputDir.empty() && !plan.entries.empty()) {
        std::error_code error;
        std::filesystem::create_directories(PathFromText(plan.options.outputDir), error);
        if (error) {
            port.ExplainFailure(plan.options.outputDir, error.message());
            Show(port, kCannotOpenOutput);
            return End::Failed;
        }
    }
    return WithMethod(plan.methods, [&](auto traits) { return ExecuteWith<decltype(traits)>(plan, port, observer); });
}

BatchJob::End BatchJob::Check(const BatchPlan& plan, JobPort& port) {
    filesDone_ = 0;
    failedNames_.clear();
    for (const BatchEntry& entry : plan.entries) {
        const auto failure = CheckEntry(entry, plan.listPath);
        if (!failure) {
            ++filesDone_;
            continue;
        }
        port.ExplainFailure(failure->file ? *failure->file : entry.resultsName,
                            failure->file ? failure->reason : "the results file would replace an input of the batch");
        Show(port, failure->message);
        failedNames_.push_back(entry.name);
        if (!plan.options.keepGoing) return End::Failed;
    }
    // With keepGoing the batch would go on past these files.
    return End::Finished;
}

template <class Traits>
BatchJob::End BatchJob::ExecuteWith(const BatchPlan& plan, JobPort& port, BatchObserver* observer) {
    tally_ = RunTally{};
    filesDone_ = 0;
    failedNames_.clear();
    const auto prepare = [&](MethodState<Traits>& state) {
        state.limits = plan.limits;
        state.reader.SetStatusRule(plan.goodStatus);
    };
    const bool onThisThread =
        observer != nullptr || std::clamp(plan.options.jobs, 1, kMaxJobs) == 1 || ReadsAnEarlierResult(plan.entries);
    const int jobs = onThisThread ? 1 : std::clamp(plan.options.jobs, 1, kMaxJobs);
    BatchProgress progress{port, static_cast<int>(plan.entries.size()), TotalSize(plan.entries)};
    Outcomes outcomes(plan.entries.size(), kEntriesAheadPerWorker * static_cast<std::size_t>(jobs));
    WorkerThreads workers(outcomes);
    if (!onThisThread) {
        const std::size_t count =
            std::min(static_cast<std::size_t>(jobs), std::max<std::size_t>(plan.entries.size(), 1));
        workers.Start(count, [&] {
            auto state = std::make_unique<MethodState<Traits>>();
            prepare(*state);
            while (const auto index = outcomes.Claim()) {
                EntryObserver entryObserver(progress, nullptr, &outcomes, false);
                outcomes.Deliver(*index, ProcessEntry(*state, plan, *index, entryObserver, nullptr));
            }
        });
    }
    // The next entry's outcome: processed here, or taken from the workers.
    const auto next = [&](std::size_t index) {
        if (onThisThread) {
            MethodState<Traits>& state = ownStates_->Of<Traits>();
            prepare(state);
            EntryObserver entryObserver(progress, observer, nullptr, true);
            return ProcessEntry(state, plan, index, entryObserver, observer);
        }
        std::optional<EntryOutcome> outcome;
        while (!(outcome = outcomes.TakeNext(kProgressInterval))) progress.Show();
        return std::move(*outcome);
    };

    if (observer != nullptr) observer->Planned();
    progress.Show();
    std::vector<FileHalfHour> lines;
    for (std::size_t index = 0; index < plan.entries.size(); ++index) {
        const BatchEntry& entry = plan.entries[index];
        EntryOutcome outcome = next(index);
        const bool placed = outcome.failure || !outcome.results.IsCreated() || outcome.results.Commit();
        if (!placed) {
            outcome.failure = OnResultsFile(messages::kCannotWriteOutput, entry, outcome.results.LastError());
        } else if (!outcome.failure && outcome.provenance.IsCreated() && !outcome.provenance.Commit()) {
            outcome.failure = FileFailure{messages::kCannotWriteOutput, outcome.provenance.Target().string(),
                                          SystemErrorText(outcome.provenance.LastError())};
        }
        tally_ += outcome.tally;
        ReportEarlierDropped(port, {entry.name}, {outcome.earlierDropped});
        for (const std::int64_t halfHour : outcome.halfHours) lines.push_back({halfHour, index});
        if (!outcome.failure) {
            ++filesDone_;
            progress.filesDone = filesDone_;
            progress.Show();
            continue;
        }
        const FileFailure& failure = *outcome.failure;
        if (!plan.options.keepGoing) workers.StopAndJoin();
        // Under keepGoing every failure names its file.
        if (failure.file || plan.options.keepGoing) {
            port.ExplainFailure(failure.file ? *failure.file : entry.resultsName,
                                failure.file ? failure.reason : "the results file would replace an input of the batch");
        }
        // What a failed file's results hold stays beside its results file.
        if (outcome.results.IsCreated() && outcome.keepPartial) {
            const std::string partial = entry.resultsName + std::string(kPartialSuffix);
            if (outcome.results.KeepAs(PathFromText(partial))) port.ExplainPartialResults(entry.resultsName, partial);
        }
        Show(port, failure.message);
        if (!plan.options.keepGoing) return End::Failed;
        failedNames_.push_back(entry.name);
    }
    workers.StopAndJoin();
    TellSharedHalfHours(port, plan.entries, std::move(lines));
    if (!failedNames_.empty()) return End::Failed;
    if (observer != nullptr) observer->Finishing();
    // A shard of a list shorter than the shard count has nothing to do,
    // which is no warning: its siblings have the files.
    if (filesDone_ > 0) {
        ConcludeJob(port, tally_, plan.diagnosis);
    } else {
        Show(port, messages::kFinished);
    }
    return End::Finished;
}

}  // namespace kelvara
