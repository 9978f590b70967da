#pragma once
// What a processing run did with its data, for a summary after it and for
// telling the user why it wrote no fluxes, or rejected half hours for their
// range limits.

#include <cmath>
#include <cstdint>

#include "io/RawRecord.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Variable.h"

namespace kelvara {

// The values of one variable that kept a rejected half hour from any sample
// inside its range limits.
struct RangeMisses {
    std::int64_t belowMinimum = 0;  // at or below the minimum
    std::int64_t aboveMaximum = 0;  // at or above the maximum
    std::int64_t notANumber = 0;
};

struct RunTally {
    std::int64_t recordsRead = 0;           // complete records read from the raw files
    std::int64_t recordsBadStatus = 0;      // dropped: status outside the good range
    std::int64_t samplesOutOfRange = 0;     // values outside their range limits, in blocks screened
    std::int64_t recordsInShortBlocks = 0;  // samples of half hours too short for a line
    int blocksComputed = 0;                 // lines with fluxes
    int blocksRejected = 0;                 // lines of time and 16 commas
    int blocksRejectedForRange = 0;         // of those, for a variable with no sample in range
    int shortBlocksSkipped = 0;             // half hours with fewer than the minimum samples: no line
    RangeMisses rangeMisses[kVariableCount];

    // Either block type: the default's BlockBuffer or a StandardBlock.
    template <class Block>
    void CountShortBlock(const Block& block) {
        ++shortBlocksSkipped;
        recordsInShortBlocks += block.count;
    }
    template <class Block>
    void CountScreenedBlock(const Block& block, BlockOutcome outcome, const RangeLimits& limits) {
        for (const int inRange : block.inRange) samplesOutOfRange += block.count - inRange;
        if (outcome == BlockOutcome::Computed) {
            ++blocksComputed;
            return;
        }
        ++blocksRejected;
        CountRangeMisses(block, limits);
    }
    void TakeRecordCounts(const ReadCounts& counts) {
        recordsRead = counts.records;
        recordsBadStatus = counts.badStatus;
    }
    // Another file's tally added to this one's, as if one run had read both.
    RunTally& operator+=(const RunTally& other);

private:
    // Only a rejected block's variables without a sample in range are
    // counted: they are what rejected it.
    template <class Block>
    void CountRangeMisses(const Block& block, const RangeLimits& limits) {
        bool forRange = false;
        for (int v = 0; v < kVariableCount; ++v) {
            if (block.inRange[v] > 0) continue;
            forRange = true;
            const auto variable = static_cast<Variable>(v);
            RangeMisses& misses = rangeMisses[v];
            for (int i = 0; i < block.count; ++i) {
                const float x = block.sample[v][i];
                if (std::isnan(x)) {
                    ++misses.notANumber;
                } else if (!(x > limits.Minimum(variable))) {
                    ++misses.belowMinimum;
                } else {
                    ++misses.aboveMaximum;
                }
            }
        }
        if (forRange) ++blocksRejectedForRange;
    }
};

}  // namespace kelvara
