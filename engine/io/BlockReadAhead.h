#pragma once
// The raw reader on a thread of its own, one block ahead of the block being
// processed, so that reading and parsing a half hour overlaps the
// computation of the one before. Blocks, their order and every value are
// the reader's own; only the moment of reading moves.

#include <cstdint>

#include "io/RawReader.h"
#include "io/ReadAhead.h"
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

    // The next block, as the next ReadBlock would give it. The block given
    // before is overwritten from this call on.
    const Block& Next() { return slots_.Next(); }

private:
    // Reads the next block into the slot; false when nothing is known after it.
    bool ReadInto(Block& block);

    RawReader& reader_;
    Block first_;
    Block second_;
    PieceOffer offer_;
    SharedParsing<RawReader> sharing_;
    ReadAhead<Block> slots_;  // last: its thread starts once everything above exists
};

}  // namespace kelvara
