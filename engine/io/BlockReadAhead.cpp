#include "io/BlockReadAhead.h"

#include <cstring>

namespace kelvara {

BlockReadAhead::BlockReadAhead(RawReader& reader, BlockBuffer& first, BlockBuffer& second) : reader_(reader) {
    slots_[0].buffer = &first;
    slots_[1].buffer = &second;
    thread_ = std::jthread([this] { ReadBlocks(); });
}

BlockReadAhead::~BlockReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

const BlockReadAhead::Block& BlockReadAhead::Next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
        ++free_;
        holding_ = false;
        changed_.notify_all();
    }
    changed_.wait(lock, [&] { return ready_ > 0; });
    --ready_;
    holding_ = true;
    const Block& block = slots_[nextTaken_];
    nextTaken_ ^= 1;
    return block;
}

void BlockReadAhead::ReadBlocks() {
    for (std::size_t slot = 0;; slot ^= 1) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || free_ > 0; });
            if (stopping_) return;
            --free_;
        }
        Block& block = slots_[slot];
        block.count = reader_.ReadBlock(*block.buffer);
        block.firstFileEnded = reader_.FirstFileEnded();
        block.readError = reader_.ReadError();
        block.secondFileFailed = reader_.SecondFileFailed();
        block.badTimeStamp = reader_.BadStamp().has_value();
        block.consumed = reader_.FirstFileConsumed();
        block.counts = reader_.RecordCounts();
        std::memcpy(block.date, reader_.BlockDate(), sizeof block.date);
        std::memcpy(block.label, reader_.BlockLabel(), sizeof block.label);
        {
            std::lock_guard lock(mutex_);
            ++ready_;
        }
        changed_.notify_all();
        // Nothing after a failed read is known.
        if (block.readError != 0 || block.badTimeStamp) return;
    }
}

}  // namespace kelvara
