#pragma once
// The one loop of every processing job: each half hour from the method's
// reader through its per-block step into the results file.

#include <cstdint>

#include "io/ResultsFile.h"
#include "jobs/MethodTraits.h"
#include "jobs/RunTally.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

// What a job's driver sees of the loop: progress, status texts and whether
// the rest is still wanted.
class BlockObserver {
public:
    virtual ~BlockObserver() = default;
    // True when the rest of the data is no longer wanted.
    virtual bool Cancelled() const { return false; }
    virtual void BeforeRead() {}
    // consumed of total bytes of raw data have been read.
    virtual void AfterRead(std::int64_t consumed, std::int64_t total) {
        (void)consumed;
        (void)total;
    }
    // A half hour with enough records, about to be processed; last: none follows.
    virtual void BeforeProcessing(bool last) { (void)last; }
};

enum class LoopEnd { Finished, ReadFailed, WriteFailed, OutOfMemory };

// Where a job's half hours go: a results file, the lines of a worker's
// share of a stream, a table.
template <class Traits>
class HalfHourSink {
public:
    virtual ~HalfHourSink() = default;
    // A half hour with its results, or rejected (result nullptr). False
    // when it could not be kept.
    virtual bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result) = 0;
};

// The method's line of a half hour, without its line end.
template <class Traits>
int FormatHalfHourLine(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result,
                       char* out) {
    using Step = typename Traits::Step;
    return result != nullptr ? Step::FormatLine(read, *result, out) : Step::FormatRejected(read, out);
}

inline constexpr int kHalfHourLineSize = kFluxLineSize > kMaxBlockLineLength ? kFluxLineSize : kMaxBlockLineLength;

// Each half hour a line of the results file.
template <class Traits>
class ResultsFileSink : public HalfHourSink<Traits> {
public:
    explicit ResultsFileSink(ResultsFile& file) : file_(file) {}
    bool Take(const BlockRead<typename Traits::Block>& read, const typename Traits::Result* result) override {
        char line[kHalfHourLineSize];
        const int length = FormatHalfHourLine<Traits>(read, result, line);
        return file_.WriteLine({line, static_cast<std::size_t>(length)});
    }

private:
    ResultsFile& file_;
};

// A half hour with fewer records gets no line (a logger restart, say), and
// the loop goes on.
template <class Traits>
LoopEnd ProcessBlocks(typename Traits::Blocks& blocks, MethodState<Traits>& state, const RotationSettings& rotation,
                      RunTally& tally, BlockObserver& observer, HalfHourSink<Traits>& sink) {
    while (!observer.Cancelled()) {
        observer.BeforeRead();
        const auto* read = blocks.Next();
        if (read == nullptr) return blocks.Failure() ? LoopEnd::ReadFailed : LoopEnd::Finished;
        observer.AfterRead(read->consumed, read->total);
        auto& block = *read->block;
        if (block.count < kMinimumBlockSamples) {
            if (block.count > 0) tally.CountShortBlock(block);
            continue;
        }
        observer.BeforeProcessing(read->last);
        typename Traits::Result result;
        const StepOutcome outcome = state.step.Process(block, state.limits, rotation, result);
        if (outcome == StepOutcome::OutOfMemory) return LoopEnd::OutOfMemory;
        const bool computed = outcome == StepOutcome::Computed;
        tally.CountScreenedBlock(block, computed ? BlockOutcome::Computed : BlockOutcome::Rejected, state.limits);
        if (!sink.Take(*read, computed ? &result : nullptr)) return LoopEnd::WriteFailed;
    }
    return LoopEnd::Finished;
}

}  // namespace kelvara
