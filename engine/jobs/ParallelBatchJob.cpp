#include "jobs/ParallelBatchJob.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <utility>

#include "io/FileNames.h"
#include "io/ListFile.h"
#include "io/RangeFile.h"
#include "io/ResultsFile.h"
#include "io/TemporaryFile.h"
#include "jobs/BatchFile.h"
#include "jobs/InputColumns.h"
#include "jobs/InputGuard.h"
#include "jobs/JobMessages.h"
#include "jobs/OrderedOutcomes.h"

namespace kelvara {

namespace {

namespace fs = std::filesystem;
using namespace messages::batch;

// How often the driver redraws the progress while it waits.
constexpr std::chrono::milliseconds kProgressInterval{100};
// Each worker may be this many entries ahead of the one taken next, so that
// a long file does not idle the others.
constexpr std::size_t kEntriesAheadPerWorker = 2;
// Keeps the temporaries of the entries in hand within what a signal handler
// can remove.
constexpr int kMaxJobs = static_cast<int>(PendingTemporaries::kSlots / kEntriesAheadPerWorker);

struct EntryOutcome {
    TemporaryFile results;  // what was written, closed but not yet in place
    std::optional<FileFailure> failure;
    RunTally tally;
};

using Outcomes = OrderedOutcomes<EntryOutcome>;

// What every worker starts from: its own copy of the inputs and of the
// limits loaded once for the whole batch.
struct WorkerSetup {
    BatchInputs inputs;
    RotationSettings rotation;
    RangeLimits limits;
    fs::path listPath;
};

class WorkerObserver : public BlockObserver {
public:
    WorkerObserver(const Outcomes& outcomes, std::atomic<std::int64_t>& bytesDone)
        : outcomes_(outcomes), bytesDone_(bytesDone) {}
    void AfterRead(std::int64_t consumed, std::int64_t) override {
        bytesDone_.fetch_add(consumed - counted_, std::memory_order_relaxed);
        counted_ = consumed;
    }
    bool Cancelled() const override { return outcomes_.Stopped(); }

private:
    const Outcomes& outcomes_;
    std::atomic<std::int64_t>& bytesDone_;
    std::int64_t counted_ = 0;
};

template <class State, class File>
EntryOutcome ProcessEntry(State& state, File& file, RunTally& tally, const BatchEntry& entry,
                          WorkerObserver& observer) {
    EntryOutcome outcome;
    tally = RunTally{};
    state.reader.ResetCounts();
    try {
        outcome.failure = file.Start(entry);
        if (!outcome.failure) outcome.failure = file.ProcessBlocks(entry, observer);
    } catch (const std::exception& error) {
        outcome.failure = FileFailure{messages::kCannotReadRaw, entry.name, error.what()};
    }
    state.reader.Close();
    if (!state.results.Finish(outcome.results) && !outcome.failure) {
        outcome.failure =
            FileFailure{messages::kCannotWriteOutput, entry.resultsName, SystemErrorText(state.results.LastError())};
    }
    tally.TakeRecordCounts(state.reader.RecordCounts());
    outcome.tally = tally;
    return outcome;
}

// One worker: its own copy of the setup, its own state (one block buffer),
// entries claimed in list order until none is left or the batch stops.
template <class State, class File>
void Work(WorkerSetup setup, const std::vector<BatchEntry>& entries, Outcomes& outcomes,
          std::atomic<std::int64_t>& bytesDone) {
    auto state = std::make_unique<State>();
    state->limits = setup.limits;
    RunTally tally;
    File file(*state, setup.inputs, tally);
    while (const auto index = outcomes.Claim()) {
        WorkerObserver observer(outcomes, bytesDone);
        outcomes.Deliver(*index, ProcessEntry(*state, file, tally, entries[*index], observer));
    }
}

std::string BaseName(const std::string& name) {
#ifdef _WIN32
    const auto slash = name.find_last_of("/\\");
#else
    const auto slash = name.find_last_of('/');
#endif
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string ResultsNameOf(const std::string& name, const std::string& suffix, const std::string& outputDir) {
    if (outputDir.empty()) return name + suffix;
    const bool separated = outputDir.back() == '/' || outputDir.back() == '\\';
    return outputDir + (separated ? "" : "/") + BaseName(name) + suffix;
}

std::vector<std::string> ReadNames(ListFile& list) {
    std::vector<std::string> names;
    std::string name;
    list.ReadName(name);  // an empty list gives an empty first name
    do names.push_back(name);
    while (list.ReadName(name));
    return names;
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
        std::error_code error;
        const auto size = fs::file_size(PathFromText(entry.name), error);
        if (!error) total += static_cast<std::int64_t>(size);
    }
    return total;
}

// The worker threads; whatever way the driver leaves, they are stopped and
// joined before the outcomes they deliver to go away.
class Workers {
public:
    explicit Workers(Outcomes& outcomes) : outcomes_(outcomes) {}
    ~Workers() { StopAndJoin(); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

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

}  // namespace

int HardwareThreads() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

ParallelBatchJob::End ParallelBatchJob::Run(const BatchInputs& inputs, const ParallelBatchOptions& options,
                                            JobPort& port, const std::optional<std::filesystem::path>& rangeFile) {
    tally_ = RunTally{};
    filesDone_ = 0;
    failedNames_.clear();
    sameOutputNames_.clear();
    const auto fail = [&](const JobMessage& message) {
        Show(port, message);
        return End::Failed;
    };
    if (inputs.rotation.MissesCoefficient()) return fail(messages::kNoPlaneCoefficients);
    if (inputs.listFile.empty()) return fail(kNoInputFile);

    WorkerSetup setup{inputs, inputs.rotation.Settings(), {}, PathFromText(inputs.listFile)};
    ListFile list;
    if (!list.Open(setup.listPath)) {
        port.ExplainFailure(inputs.listFile, ReasonCannotRead(setup.listPath));
        return fail(kCannotOpenList);
    }
    const std::vector<std::string> names = ReadNames(list);
    list.Close();
    const std::string suffix(ResultsSuffix(setup.rotation.rotation, options.methods));
    std::vector<std::string> resultsNames;
    std::map<std::string, std::size_t> firstWithResults;
    for (std::size_t i = 0; i < names.size(); ++i) {
        resultsNames.push_back(ResultsNameOf(names[i], suffix, options.outputDir));
        if (options.outputDir.empty()) continue;
        const auto [first, inserted] = firstWithResults.emplace(resultsNames.back(), i);
        if (!inserted) {
            sameOutputNames_ = {names[first->second], names[i], resultsNames.back()};
            return End::SameOutputName;
        }
    }
    if (ResultsNameAnInput(names, resultsNames, setup.listPath, rangeFile.value_or(RangeFilePath()))) {
        return fail(messages::kOutputIsInput);
    }
    // Every listed file's columns before any results file exists.
    std::vector<ColumnLayout> layouts;
    std::string refusal;
    if (!PrepareColumns(inputs.input, names, port, layouts, refusal)) return fail(ColumnsRefused(refusal));

    std::vector<BatchEntry> entries;
    const auto shards = static_cast<std::size_t>(std::max(1, options.shardCount));
    for (std::size_t i = static_cast<std::size_t>(std::max(0, options.shardIndex)); i < names.size(); i += shards) {
        entries.push_back({names[i], resultsNames[i], i < layouts.size() ? layouts[i] : ColumnLayout{}});
    }
    LoadRangeLimits(setup.limits, rangeFile);

    const bool sequential = ReadsAnEarlierResult(entries);
    const int jobs = sequential ? 1 : std::clamp(options.jobs, 1, kMaxJobs);
    const std::size_t window = sequential ? 1 : kEntriesAheadPerWorker * static_cast<std::size_t>(jobs);
    const std::int64_t bytesTotal = TotalSize(entries);
    const int filesTotal = static_cast<int>(entries.size());
    std::atomic<std::int64_t> bytesDone{0};
    Outcomes outcomes(entries.size(), window);
    Workers workers(outcomes);
    workers.Start(std::min(static_cast<std::size_t>(jobs), std::max<std::size_t>(entries.size(), 1)), [&] {
        if (options.methods == Methods::Standard) {
            Work<StandardJobState, StandardBatchFile>(setup, entries, outcomes, bytesDone);
        } else {
            Work<JobState, DefaultBatchFile>(setup, entries, outcomes, bytesDone);
        }
    });
    const auto showProgress = [&] { port.ShowBatchProgress(filesDone_, filesTotal, bytesDone.load(), bytesTotal); };

    showProgress();
    for (const BatchEntry& entry : entries) {
        std::optional<EntryOutcome> outcome;
        while (!(outcome = outcomes.TakeNext(kProgressInterval))) showProgress();
        // As the sequential batch leaves it: what was written goes in place,
        // even for a name that failed.
        const bool placed = !outcome->results.IsCreated() || outcome->results.Commit();
        if (!placed && !outcome->failure) {
            outcome->failure = FileFailure{messages::kCannotWriteOutput, entry.resultsName,
                                           SystemErrorText(outcome->results.LastError())};
        }
        tally_ += outcome->tally;
        if (!outcome->failure) {
            ++filesDone_;
            showProgress();
            continue;
        }
        const FileFailure& failure = *outcome->failure;
        if (!options.keepGoing) {
            workers.StopAndJoin();
            if (failure.file) port.ExplainFailure(*failure.file, failure.reason);
            return fail(failure.message);
        }
        // Under keepGoing every failure names its file.
        port.ExplainFailure(failure.file ? *failure.file : entry.resultsName,
                            failure.file ? failure.reason : "the results file would replace an input of the batch");
        Show(port, failure.message);
        failedNames_.push_back(entry.name);
    }
    workers.StopAndJoin();
    if (!failedNames_.empty()) return End::Failed;
    Show(port, messages::kFinished);
    return End::Finished;
}

}  // namespace kelvara
