#include "jobs/BlockSources.h"

#include <cerrno>

namespace kelvara {

DefaultBlocks::DefaultBlocks(RawReader& reader, BlockBuffer& block, BlockBuffer* spare)
    : reader_(reader), block_(block), countsUsed_(reader.RecordCounts()) {
    read_.total = reader_.FirstFileSize();
    if (spare != nullptr) readAhead_ = std::make_unique<BlockReadAhead>(reader_, block_, *spare);
}

DefaultBlocks::~DefaultBlocks() { StopReading(); }

void DefaultBlocks::StopReading() {
    ended_ = true;
    if (!readAhead_) return;
    readAhead_.reset();
    // The reader has read ahead of the blocks used.
    reader_.RestoreCounts(countsUsed_);
}

std::optional<std::size_t> DefaultBlocks::Open(RawReader& reader, const std::vector<std::filesystem::path>& files,
                                               const std::vector<ColumnLayout>& layouts) {
    if (!reader.OpenFirst(files[0], layouts[0])) return 0;
    if (files.size() > 1 && !reader.OpenSecond(files[1], layouts[1])) return 1;
    return std::nullopt;
}

const BlockRead<BlockBuffer>* DefaultBlocks::Next() {
    if (ended_ || failure_) return nullptr;
    if (readAhead_) {
        const BlockReadAhead::Block& read = readAhead_->Next();
        countsUsed_ = read.counts;
        if (read.readError != 0) {
            failure_ = ReadFailure{read.secondFileFailed ? 1u : 0u, false, read.readError};
            return nullptr;
        }
        if (read.badTimeStamp) return StopOnTimeStamp();
        read_.block = read.buffer;
        read_.last = read.firstFileEnded;
        read_.consumed = read.consumed;
        FormatLabelledTime(read.date, read.label, read_.time);
    } else {
        reader_.ReadBlock(block_);
        if (reader_.ReadError() != 0) {
            failure_ = ReadFailure{reader_.SecondFileFailed() ? 1u : 0u, false, reader_.ReadError()};
            return nullptr;
        }
        if (reader_.BadStamp()) return StopOnTimeStamp();
        read_.block = &block_;
        read_.last = reader_.FirstFileEnded();
        read_.consumed = reader_.FirstFileConsumed();
        FormatLabelledTime(reader_.BlockDate(), reader_.BlockLabel(), read_.time);
    }
    ended_ = read_.last;
    return &read_;
}

const BlockRead<BlockBuffer>* DefaultBlocks::StopOnTimeStamp() {
    const BadTimeStamp& stamp = *reader_.BadStamp();
    failure_ = ReadFailure{stamp.file, false, 0, stamp};
    return nullptr;
}

std::optional<std::size_t> StandardBlocks::Open(StreamReader& reader, const std::vector<std::filesystem::path>& files,
                                                const std::vector<ColumnLayout>& layouts, const StreamShare& share) {
    reader.Start(files, layouts, share);
    return std::nullopt;
}

StandardBlocks::StandardBlocks(StreamReader& reader, StandardBlock& block, StandardBlock* spare)
    : reader_(reader), block_(block) {
    if (spare != nullptr) readAhead_ = std::make_unique<StreamReadAhead>(reader_, block_, *spare);
}

StandardBlocks::~StandardBlocks() { StopReading(); }

void StandardBlocks::StopReading() {
    ended_ = true;
    if (!readAhead_) return;
    readAhead_.reset();
    // The reader has read ahead of the blocks used.
    reader_.RestoreCounts(countsUsed_, droppedUsed_);
}

bool StandardBlocks::ReadBlock() {
    if (!readAhead_) {
        read_.block = &block_;
        const bool read = reader_.ReadBlock(block_);
        read_.consumed = reader_.Consumed();
        read_.halfHour = reader_.BlockHalfHour();
        return read;
    }
    const StreamReadAhead::Block& ahead = readAhead_->Next();
    countsUsed_ = ahead.counts;
    droppedUsed_ = ahead.earlierDropped;
    read_.block = ahead.block;
    read_.consumed = ahead.consumed;
    read_.halfHour = ahead.halfHour;
    return ahead.read;
}

const BlockRead<StandardBlock>* StandardBlocks::Next() {
    if (failure_ || ended_) return nullptr;
    if (!ReadBlock()) {
        // Nothing follows a block not read; the reader is done with the stream.
        ended_ = true;
        if (reader_.Failed()) {
            failure_ = ReadFailure{reader_.FailedFile(),
                                   reader_.OpenFailed(),
                                   reader_.FailureError(),
                                   reader_.BadStamp(),
                                   reader_.BlockTooLarge() || reader_.FailureError() == ENOMEM,
                                   reader_.BlockHalfHour()};
        }
        return nullptr;
    }
    read_.total = reader_.TotalSize();
    FormatHalfHourEnd(read_.halfHour, read_.time);
    return &read_;
}

}  // namespace kelvara
