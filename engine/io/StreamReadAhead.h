#pragma once
// The standard methods' reader on a thread of its own, one half hour ahead
// of the block being processed: reading and parsing a half hour overlaps
// the computation of the one before. Blocks, their order and every value
// are the reader's own; only the moment of reading moves.

#include <cstdint>
#include <vector>

#include "io/ReadAhead.h"
#include "io/StreamReader.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

class StreamReadAhead {
public:
    // What StreamReader told after one ReadBlock, kept with its block.
    struct Block {
        StandardBlock* block = nullptr;
        bool read = false;  // ReadBlock's result: false ends the stream
        std::int64_t halfHour = 0;
        std::int64_t consumed = 0;
        ReadCounts counts;  // the reader's counts after this block
        std::vector<std::int64_t> earlierDropped;
    };

    // reader is started; nothing may use it until this object is gone. The
    // blocks are read into the two in turn.
    StreamReadAhead(StreamReader& reader, StandardBlock& first, StandardBlock& second);

    // The next block, as the next ReadBlock would give it. The block given
    // before is overwritten from this call on; none follows one not read.
    const Block& Next() { return slots_.Next(); }

private:
    bool ReadInto(Block& block);

    StreamReader& reader_;
    Block first_;
    Block second_;
    PieceOffer offer_;
    SharedParsing<StreamReader> sharing_;
    ReadAhead<Block> slots_;  // last: its thread starts once everything above exists
};

}  // namespace kelvara
