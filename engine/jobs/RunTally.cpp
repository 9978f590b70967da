#include "jobs/RunTally.h"

namespace kelvara {

RunTally& RunTally::operator+=(const RunTally& other) {
    recordsRead += other.recordsRead;
    recordsBadStatus += other.recordsBadStatus;
    samplesOutOfRange += other.samplesOutOfRange;
    recordsInShortBlocks += other.recordsInShortBlocks;
    blocksComputed += other.blocksComputed;
    blocksRejected += other.blocksRejected;
    blocksRejectedForRange += other.blocksRejectedForRange;
    shortBlocksSkipped += other.shortBlocksSkipped;
    for (int v = 0; v < kVariableCount; ++v) {
        rangeMisses[v].belowMinimum += other.rangeMisses[v].belowMinimum;
        rangeMisses[v].aboveMaximum += other.rangeMisses[v].aboveMaximum;
        rangeMisses[v].notANumber += other.rangeMisses[v].notANumber;
    }
    return *this;
}

}  // namespace kelvara
