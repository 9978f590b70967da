#pragma once
// One stream of raw files read on several threads: the files, in time
// order, split into contiguous shares, one a worker. Each worker ends the
// half hour open at the end of its share from the files after it, and
// passes over the half hour that the worker before it ends. What the
// stream kept before a share is guessed from the last lines of the file
// before it and checked once every share is read: a share read with a
// wrong guess is read again. The lines and counts are then those of one
// reader over the whole stream.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "corrections/SiteSettings.h"
#include "io/ColumnLayout.h"
#include "io/StatusRule.h"
#include "io/StreamReader.h"
#include "io/TimeStamp.h"
#include "jobs/BlockLoop.h"
#include "jobs/JobPort.h"
#include "jobs/MethodTraits.h"
#include "jobs/ResultTable.h"
#include "jobs/RunTally.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Rotation.h"

namespace kelvara {

// What every share of a stream is read with.
struct StreamSettings {
    const std::vector<std::filesystem::path>* paths = nullptr;  // in time order
    const std::vector<ColumnLayout>* layouts = nullptr;         // one per file
    StatusRule goodStatus;
    RangeLimits limits{};
    RotationSettings rotation;
    FluxSettings flux;              // the corrected method's
    bool keepTable = false;         // each share keeps its half hours as a table too
    const JobPort* port = nullptr;  // asked whether the user stopped the run
};

// Where each share begins, as file indices, the first 0; the shares hold
// about equal bytes, at least one file each, at most shares of them.
std::vector<std::size_t> SplitIntoShares(const std::vector<std::filesystem::path>& paths, std::size_t shares);

// The guess of what the stream kept before each share (none for the first).
std::vector<std::optional<TimePoint>> GuessKeptBefore(const StreamSettings& settings,
                                                      const std::vector<std::size_t>& starts);

// What one share gave.
struct ShareOutcome {
    std::string lines;                         // its half hours' lines, each ended
    ResultTable table;                         // the same as numbers, when asked for
    RunTally tally;                            // its half hours and the records of its own files
    std::vector<std::int64_t> earlierDropped;  // per own file
    std::optional<TimePoint> keptBefore;       // what it was read with
    std::optional<TimePoint> latestGood;       // of its own files
    LoopEnd end = LoopEnd::Finished;
    std::optional<ReadFailure> failure;  // file: an index into the whole stream
    std::atomic<std::int64_t> consumed{0};
};

// What the stream kept before each share, as the shares' own files say;
// the first share's is none.
std::vector<std::optional<TimePoint>> TrueKeptBefore(const std::vector<ShareOutcome>& outcomes);

// The lines of a share, kept in memory until every share is read.
template <class Traits>
class LinesSink : public HalfHourSink<Traits> {
public:
    explicit LinesSink(std::string& lines) : lines_(lines) {}
    bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result) override {
        char line[kHalfHourLineSize];
        const int length = FormatHalfHourLine<Traits>(read, result, line);
        lines_.append(line, static_cast<std::size_t>(length));
        lines_.append(Traits::Step::kLineEnd);
        return true;
    }

private:
    std::string& lines_;
};

// Publishes a share's bytes read for the thread that draws the progress.
class ShareProgress : public BlockObserver {
public:
    ShareProgress(std::atomic<std::int64_t>& consumed, const JobPort* port) : consumed_(consumed), port_(port) {}
    bool Cancelled() const override { return port_ != nullptr && port_->CancelRequested(); }
    void AfterRead(std::int64_t consumed, std::int64_t) override {
        consumed_.store(consumed, std::memory_order_relaxed);
    }

private:
    std::atomic<std::int64_t>& consumed_;
    const JobPort* port_;
};

// Reads the share of ownFiles files from start, and as much of the files
// after them as its last half hour needs, into outcome.
template <class Traits>
void ReadShare(MethodState<Traits>& state, const StreamSettings& settings, std::size_t start, std::size_t ownFiles,
               ShareOutcome& outcome) {
    const auto& paths = *settings.paths;
    const auto& layouts = *settings.layouts;
    const auto offset = static_cast<std::ptrdiff_t>(start);
    std::vector<std::filesystem::path> files(paths.begin() + offset, paths.end());
    std::vector<ColumnLayout> fileLayouts(layouts.begin() + offset, layouts.end());
    outcome.lines.clear();
    outcome.table.Clear();
    outcome.tally = RunTally{};
    outcome.failure.reset();
    state.reader.ResetCounts();
    state.reader.SetStatusRule(settings.goodStatus);
    state.limits = settings.limits;
    if constexpr (Traits::kMethods == Methods::Corrected) state.step.SetSettings(settings.flux);
    Traits::Blocks::Open(state.reader, files, fileLayouts, StreamShare{ownFiles, outcome.keptBefore});
    typename Traits::Blocks blocks(state.reader, state.block);
    LinesSink<Traits> lines(outcome.lines);
    TableSink<Traits> table(outcome.table);
    TeeSink<Traits> sink(lines, settings.keepTable ? &table : nullptr);
    ShareProgress progress(outcome.consumed, settings.port);
    try {
        outcome.end = ProcessBlocks<Traits>(blocks, state, settings.rotation, outcome.tally, progress, sink);
    } catch (const std::bad_alloc&) {
        outcome.end = LoopEnd::OutOfMemory;
    }
    outcome.failure = blocks.Failure();
    // A failure in a later share's file comes after every record of this
    // share's half hours but the open one; that share meets it too, at the
    // same record, and reports it in its place. A half hour too large for
    // memory is the one this share ends, so it stays this share's.
    if (outcome.failure) {
        outcome.failure->file += start;
        if (outcome.failure->file >= start + ownFiles && !outcome.failure->tooLarge) {
            outcome.failure.reset();
            outcome.end = LoopEnd::Finished;
        }
    }
    outcome.consumed.store(state.reader.Consumed(), std::memory_order_relaxed);
    outcome.earlierDropped = state.reader.EarlierDropped();
    outcome.latestGood = state.reader.LatestGoodTime();
    outcome.tally.TakeRecordCounts(state.reader.RecordCounts());
    state.reader.Close();
}

// How often the thread that waits for the shares draws the progress.
inline constexpr std::chrono::milliseconds kShareProgressInterval{100};

// Reads the shares, each on a thread of its own, while onWait is called on
// this thread every kShareProgressInterval; then reads again, as many at once, every
// share whose guess was wrong. Returns one outcome a share.
template <class Traits, class OnWait>
std::vector<ShareOutcome> ReadStreamInShares(const StreamSettings& settings, std::size_t shares, OnWait onWait) {
    const std::vector<std::size_t> starts = SplitIntoShares(*settings.paths, shares);
    std::vector<ShareOutcome> outcomes(starts.size());
    const auto ownFiles = [&](std::size_t share) {
        const std::size_t end = share + 1 < starts.size() ? starts[share + 1] : settings.paths->size();
        return end - starts[share];
    };
    const auto readAll = [&](const std::vector<std::size_t>& which) {
        std::mutex mutex;
        std::condition_variable done;
        std::size_t running = which.size();
        std::vector<std::jthread> workers;
        for (const std::size_t share : which) {
            workers.emplace_back([&, share] {
                try {
                    auto state = std::make_unique<MethodState<Traits>>();
                    ReadShare(*state, settings, starts[share], ownFiles(share), outcomes[share]);
                } catch (...) {
                    // Nothing but memory fails by throwing here.
                    outcomes[share].end = LoopEnd::OutOfMemory;
                }
                const std::lock_guard lock(mutex);
                --running;
                done.notify_one();
            });
        }
        std::unique_lock lock(mutex);
        while (!done.wait_for(lock, kShareProgressInterval, [&] { return running == 0; })) {
            lock.unlock();
            onWait(outcomes);
            lock.lock();
        }
    };
    const auto guesses = GuessKeptBefore(settings, starts);
    std::vector<std::size_t> all;
    for (std::size_t share = 0; share < starts.size(); ++share) {
        outcomes[share].keptBefore = guesses[share];
        all.push_back(share);
    }
    readAll(all);
    const auto truth = TrueKeptBefore(outcomes);
    std::vector<std::size_t> again;
    for (std::size_t share = 0; share < starts.size(); ++share) {
        if (outcomes[share].keptBefore == truth[share]) continue;
        outcomes[share].keptBefore = truth[share];
        again.push_back(share);
    }
    if (!again.empty()) readAll(again);
    return outcomes;
}

}  // namespace kelvara
