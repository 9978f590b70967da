#include "io/StreamReadAhead.h"

namespace kelvara {

StreamReadAhead::StreamReadAhead(StreamReader& reader, StandardBlock& first, StandardBlock& second)
    : reader_(reader),
      first_{.block = &first},
      second_{.block = &second},
      // The thread waiting for blocks parses half of each buffer beside the reader.
      offer_([this] { slots_.Wake(); }),
      sharing_(reader, offer_),
      slots_(
          first_, second_, [this](Block& block) { return ReadInto(block); }, &offer_) {}

bool StreamReadAhead::ReadInto(Block& block) {
    block.read = reader_.ReadBlock(*block.block);
    block.halfHour = reader_.BlockHalfHour();
    block.consumed = reader_.Consumed();
    block.counts = reader_.RecordCounts();
    // The same size each time: no allocation after the first.
    block.earlierDropped = reader_.EarlierDropped();
    return block.read;
}

}  // namespace kelvara
