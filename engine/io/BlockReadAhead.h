#pragma once
// The raw reader on a thread of its own, one block ahead of the block being
// processed, so that reading and parsing a half hour overlaps the
// computation of the one before. Blocks, their order and every value are
// the reader's own; only the moment of reading moves.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "io/RawReader.h"
#include "pipeline/BlockBuffer.h"

namespace kelvara {

class BlockReadAhead {
public:
    // What RawReader told after one ReadBlock, kept with its block.
    struct Block {
        BlockBuffer* buffer = nullptr;
        int count = 0;  // ReadBlock's result
        bool firstFileEnded = false;
        int readError = 0;
        bool secondFileFailed = false;
        bool badTimeStamp = false;  // the reader's BadStamp() tells where
        std::int64_t consumed = 0;  // of the first file
        RawReader::Counts counts;   // the reader's counts after this block
        char date[kDateWidth + 1] = {};
        char label[kDateWidth + 1] = {};
    };

    // reader is open; nothing may use it until this object is gone. The
    // blocks are read into the two buffers in turn.
    BlockReadAhead(RawReader& reader, BlockBuffer& first, BlockBuffer& second);
    // Stops the reading and waits for it.
    ~BlockReadAhead();
    BlockReadAhead(const BlockReadAhead&) = delete;
    BlockReadAhead& operator=(const BlockReadAhead&) = delete;

    // The next block, as the next ReadBlock would give it. The block given
    // before is overwritten from this call on.
    const Block& Next();

private:
    void ReadBlocks();

    RawReader& reader_;
    std::array<Block, 2> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int free_ = 2;   // slots the reader may fill
    int ready_ = 0;  // slots filled and not yet taken
    bool holding_ = false;
    bool stopping_ = false;
    std::size_t nextTaken_ = 0;
    std::jthread thread_;  // last: started once everything above exists
};

}  // namespace kelvara
