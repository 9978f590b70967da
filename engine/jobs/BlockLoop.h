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

enum class LoopEnd { Finished, ReadFailed, WriteFailed };

// A half hour with fewer records gets no line (a logger restart, say), and
// the loop goes on.
template <class Traits>
LoopEnd ProcessBlocks(typename Traits::Blocks& blocks, MethodState<Traits>& state, const RotationSettings& rotation,
                      RunTally& tally, BlockObserver& observer) {
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
        const BlockOutcome outcome = ProcessBlock(block, state.limits, rotation, result);
        tally.CountScreenedBlock(block, outcome, state.limits);
        char line[kMaxBlockLineLength];
        const int length = outcome == BlockOutcome::Rejected ? FormatRejectedLine(read->time, line)
                                                             : FormatBlockLine(read->time, result, line);
        if (!state.results.WriteLine({line, static_cast<std::size_t>(length)})) return LoopEnd::WriteFailed;
    }
    return LoopEnd::Finished;
}

}  // namespace kelvara
