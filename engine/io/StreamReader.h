#pragma once
// The standard methods' reader: the records of several raw files, in time
// order, as one stream cut into calendar-true half hours. A half hour that
// spans two files is one block; a record earlier than the last one kept (a
// file named twice, overlapping files, a clock stepping back) is dropped
// and counted with its file, so no half hour is written twice.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"
#include "io/StampedRecord.h"
#include "io/StatusRule.h"
#include "io/TimeStamp.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

// The share of a stream that one of several readers takes.
struct StreamShare {
    // The files that are this reader's, the first ones given; the files
    // after them are read only to end the half hour open at the end of its
    // own, and nothing of them is counted.
    std::size_t ownFiles = static_cast<std::size_t>(-1);
    // The time of the last record kept before the first file, when there is
    // a reader before this one: records earlier than it are dropped, and
    // those of its half hour belong to that reader.
    std::optional<TimePoint> keptBefore;
};

// Far more records than a half hour at 100 Hz holds, to stop a stuck logger
// clock before it fills the memory.
inline constexpr int kMaxHalfHourRecords = 1800 * 100 * 2;

class StreamReader {
public:
    // Starts a stream over the files, in this order, each read in its own
    // layout (one per file; none: every file in the default layout),
    // forgetting any earlier one. Each file is opened behind its four header
    // lines when the stream reaches it.
    void Start(std::vector<std::filesystem::path> files, std::vector<ColumnLayout> layouts = {},
               const StreamShare& share = {});
    // Which status values keep a record (by default 0 to 13).
    void SetStatusRule(const StatusRule& rule) { statusRule_ = rule; }
    // Parses the lines on two threads (see DefaultRecordReader).
    void ShareParsing(PieceOffer* offer) { records_.ShareParsing(offer); }
    void Close();

    // Reads the next half hour into block: every record up to the first one
    // with a good status in another half hour, whatever its count and across
    // file ends. The block's half hour is that of its first record, even
    // one whose status gives no sample. False when the stream has ended, or
    // failed (the block is then not to be used).
    bool ReadBlock(StandardBlock& block);

    // The block's half hour, counted from 1970.
    std::int64_t BlockHalfHour() const { return blockHalfHour_; }

    // A file could not be opened, a read failed, a time stamp does not
    // read, or a block outgrew the memory: the rest of the stream is
    // unknown.
    bool Failed() const { return failure_ != Failure::None; }
    bool OpenFailed() const { return failure_ == Failure::Open; }
    // The errno of the failure (0 for a file that would not open or a bad
    // time stamp).
    int FailureError() const { return failureError_; }
    // The index of the file being read when it failed.
    std::size_t FailedFile() const { return current_; }
    const std::optional<BadTimeStamp>& BadStamp() const { return badStamp_; }
    // The block's half hour reached kMaxHalfHourRecords: a logger clock that
    // stuck, say.
    bool BlockTooLarge() const { return failure_ == Failure::TooLarge; }

    // Bytes of all the files, and those consumed so far.
    std::int64_t TotalSize() const { return totalSize_; }
    std::int64_t Consumed() const { return finishedBytes_ + (stream_.IsOpen() ? stream_.Consumed() : 0); }

    const ReadCounts& RecordCounts() const { return counts_; }
    void ResetCounts() { counts_ = ReadCounts{}; }
    // Per own file: records dropped for being earlier than the last one kept.
    const std::vector<std::int64_t>& EarlierDropped() const { return earlierDropped_; }
    // Back to the counts after an earlier block, for a reader that has read
    // ahead of the blocks used.
    void RestoreCounts(const ReadCounts& counts, const std::vector<std::int64_t>& earlierDropped) {
        counts_ = counts;
        earlierDropped_ = earlierDropped;
    }
    // The latest time of a record of the own files with a good status: what
    // the reader after this one drops records against.
    std::optional<TimePoint> LatestGoodTime() const { return latestGood_; }

private:
    enum class Failure { None, Open, Read, TimeStamp, Memory, TooLarge };
    enum class Kind { Earlier, BadStatus, Good };

    // Reads the next complete record of the stream into record_ and counts
    // it (in an own file); false at the end of the stream or a failure.
    bool NextRecord();
    // Counts the record just read as dropped for being earlier, dropped for
    // its status, or kept.
    Kind Classify();
    // Appends to block the records parsed ahead that are kept in the half
    // hour from blockStart, as many as follow one another, with the counts
    // NextRecord and Classify would keep for them; the first record that
    // is anything else is left to them. False on a failure.
    bool AppendParsedRecords(StandardBlock& block, TimePoint blockStart);
    bool OpenCurrent();
    bool Fail(Failure failure, int error);
    bool Own() const { return current_ < share_.ownFiles; }
    // Passes over the records of the half hour that the reader before this
    // one ends, and those dropped with them.
    bool SkipTheHalfHourBefore();

    std::vector<std::filesystem::path> files_;
    std::vector<ColumnLayout> layouts_;  // one per file
    StreamShare share_;
    StatusRule statusRule_;
    std::size_t current_ = 0;  // the file being read, or files_.size()
    bool opened_ = false;      // files_[current_] has been opened
    RawStream stream_;
    StampedRecordReader records_;
    StampedRecord record_;
    bool carry_ = false;     // record_ opens the next block
    bool started_ = false;   // the first block was looked for
    bool finished_ = false;  // a later reader's record was met: nothing more is this reader's
    std::optional<TimePoint> lastKept_;
    std::optional<TimePoint> latestGood_;
    std::int64_t blockHalfHour_ = 0;
    Failure failure_ = Failure::None;
    int failureError_ = 0;
    std::optional<BadTimeStamp> badStamp_;
    std::int64_t totalSize_ = 0;
    std::int64_t finishedBytes_ = 0;
    ReadCounts counts_;
    std::vector<std::int64_t> earlierDropped_;
};

}  // namespace kelvara
