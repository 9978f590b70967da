#include "io/BlockReadAhead.h"

#include <cstring>

namespace kelvara {

BlockReadAhead::BlockReadAhead(RawReader& reader, BlockBuffer& first, BlockBuffer& second)
    : reader_(reader),
      first_{.buffer = &first},
      second_{.buffer = &second},
      // The thread waiting for blocks parses half of each buffer beside the reader.
      offer_([this] { slots_.Wake(); }),
      sharing_(reader, offer_),
      slots_(
          first_, second_, [this](Block& block) { return ReadInto(block); }, &offer_) {}

bool BlockReadAhead::ReadInto(Block& block) {
    block.count = reader_.ReadBlock(*block.buffer);
    block.firstFileEnded = reader_.FirstFileEnded();
    block.readError = reader_.ReadError();
    block.secondFileFailed = reader_.SecondFileFailed();
    block.badTimeStamp = reader_.BadStamp().has_value();
    block.consumed = reader_.FirstFileConsumed();
    block.counts = reader_.RecordCounts();
    std::memcpy(block.date, reader_.BlockDate(), sizeof block.date);
    std::memcpy(block.label, reader_.BlockLabel(), sizeof block.label);
    // Nothing after a failed read is known.
    return block.readError == 0 && !block.badTimeStamp;
}

}  // namespace kelvara
