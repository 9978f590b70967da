#pragma once
// What a processing run did with its data, for a summary after it and for
// telling the user why a run wrote no fluxes at all.

#include <cstdint>

#include "io/RawReader.h"
#include "pipeline/BlockBuffer.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara {

struct RunTally {
    std::int64_t recordsRead = 0;           // complete records read from the raw files
    std::int64_t recordsBadStatus = 0;      // dropped: status outside the good range
    std::int64_t samplesOutOfRange = 0;     // values outside their range limits, in blocks screened
    std::int64_t recordsInShortBlocks = 0;  // samples of half hours too short for a line
    int blocksComputed = 0;                 // lines with fluxes
    int blocksRejected = 0;                 // lines of time and 16 commas
    int shortBlocksSkipped = 0;             // half hours with fewer than the minimum samples: no line

    // Either block type: the default's BlockBuffer or a StandardBlock.
    template <class Block>
    void CountShortBlock(const Block& block) {
        ++shortBlocksSkipped;
        recordsInShortBlocks += block.count;
    }
    template <class Block>
    void CountScreenedBlock(const Block& block, BlockOutcome outcome) {
        for (const int inRange : block.inRange) samplesOutOfRange += block.count - inRange;
        ++(outcome == BlockOutcome::Computed ? blocksComputed : blocksRejected);
    }
    void TakeRecordCounts(const RawReader::Counts& counts) {
        recordsRead = counts.records;
        recordsBadStatus = counts.badStatus;
    }
    // Another file's tally added to this one's, as if one run had read both.
    RunTally& operator+=(const RunTally& other) {
        recordsRead += other.recordsRead;
        recordsBadStatus += other.recordsBadStatus;
        samplesOutOfRange += other.samplesOutOfRange;
        recordsInShortBlocks += other.recordsInShortBlocks;
        blocksComputed += other.blocksComputed;
        blocksRejected += other.blocksRejected;
        shortBlocksSkipped += other.shortBlocksSkipped;
        return *this;
    }
};

}  // namespace kelvara
