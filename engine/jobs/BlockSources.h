#pragma once
// Each method's reader as the block loop takes it: one half hour after
// another, with its Time field and the bytes read so far. The default
// method reads a raw file (completed by the next one in a run) and may read
// the next block on a second thread; the standard methods read a stream of
// files.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "io/BlockReadAhead.h"
#include "io/BlockTime.h"
#include "io/ColumnLayout.h"
#include "io/RawReader.h"
#include "io/StreamReadAhead.h"
#include "io/StreamReader.h"
#include "pipeline/BlockBuffer.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// One half hour, as a method's reader hands it on.
template <class Block>
struct BlockRead {
    Block* block = nullptr;
    bool last = false;          // no block follows
    std::int64_t consumed = 0;  // bytes of the raw data read so far, of total
    std::int64_t total = 0;
    char time[kBlockTimeSize] = {};  // the block's Time field in the results
    std::int64_t halfHour = 0;       // the standard methods' absolute half hour, from 1970
};

// Why a method's reader stopped before the end of its data.
struct ReadFailure {
    std::size_t file = 0;                      // which of the files given to Open
    bool openFailed = false;                   // the file would not open (else a read failed)
    int error = 0;                             // the errno of a failed read
    std::optional<BadTimeStamp> badTimeStamp;  // a time stamp that does not read
    // The half hour being read holds more than kMaxHalfHourRecords (or,
    // with error ENOMEM, more than the memory takes): the file is its
    // half hour's.
    bool tooLarge = false;
    std::int64_t halfHour = 0;
};

// What every method's reader hands on: the block read last, and why the
// reading stopped early, if it did.
template <class Block>
class BlockSource {
public:
    const std::optional<ReadFailure>& Failure() const { return failure_; }

protected:
    BlockRead<Block> read_;
    std::optional<ReadFailure> failure_;
};

// The default method: the first file, and the second that completes its
// last half hour when one is given.
class DefaultBlocks : public BlockSource<BlockBuffer> {
public:
    // spare: a second block to read ahead into, on a thread of its own;
    // nullptr reads each block when it is asked for.
    DefaultBlocks(RawReader& reader, BlockBuffer& block, BlockBuffer* spare);
    // Leaves the reader's counts as of the last block handed on.
    ~DefaultBlocks();
    DefaultBlocks(const DefaultBlocks&) = delete;
    DefaultBlocks& operator=(const DefaultBlocks&) = delete;

    // Opens the files (one or two) behind their header lines. The index of
    // a file that would not open, else nothing.
    static std::optional<std::size_t> Open(RawReader& reader, const std::vector<std::filesystem::path>& files,
                                           const std::vector<ColumnLayout>& layouts);

    // The next block; nullptr after the last one or after a failed read.
    const BlockRead<BlockBuffer>* Next();

    // Stops reading ahead: from here on the reader is the caller's again
    // (to close, say), with its counts as of the last block handed on. No
    // block follows.
    void StopReading();

private:
    // A time stamp without its hour ends the reading.
    const BlockRead<BlockBuffer>* StopOnTimeStamp();

    RawReader& reader_;
    BlockBuffer& block_;
    std::unique_ptr<BlockReadAhead> readAhead_;
    RawReader::Counts countsUsed_;
    bool ended_ = false;
};

// The standard methods: every file of the stream, whole half hours across
// file ends.
class StandardBlocks : public BlockSource<StandardBlock> {
public:
    // spare: a second block to read ahead into, on a thread of its own;
    // nullptr reads each block when it is asked for.
    StandardBlocks(StreamReader& reader, StandardBlock& block, StandardBlock* spare = nullptr);
    // Leaves the reader's counts as of the last block handed on.
    ~StandardBlocks();
    StandardBlocks(const StandardBlocks&) = delete;
    StandardBlocks& operator=(const StandardBlocks&) = delete;

    // The stream opens each file when it reaches it.
    static std::optional<std::size_t> Open(StreamReader& reader, const std::vector<std::filesystem::path>& files,
                                           const std::vector<ColumnLayout>& layouts, const StreamShare& share = {});

    // The next block; nullptr at the end of the stream or after a failure.
    const BlockRead<StandardBlock>* Next();

    // Stops reading ahead: from here on the reader is the caller's again,
    // with its counts as of the last block handed on. No block follows.
    void StopReading();

private:
    // The reader's ReadBlock, from the read-ahead when there is one.
    bool ReadBlock();

    StreamReader& reader_;
    StandardBlock& block_;
    std::unique_ptr<StreamReadAhead> readAhead_;
    ReadCounts countsUsed_;
    std::vector<std::int64_t> droppedUsed_;
    bool ended_ = false;
};

}  // namespace kelvara
