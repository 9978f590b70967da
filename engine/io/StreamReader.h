#pragma once
// The standard methods' reader: the records of several raw files, in order,
// as one stream, grouped into whole half hours. A half hour that spans two
// files is one block.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/MappedRecord.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"
#include "io/StatusRule.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

class StreamReader {
public:
    // Starts a stream over the files, in this order, forgetting any earlier
    // one. Each file is opened behind its four header lines when the stream
    // reaches it.
    void Start(std::vector<std::filesystem::path> files);
    // The same, each file read in its own layout (one per file).
    void Start(std::vector<std::filesystem::path> files, std::vector<ColumnLayout> layouts);
    // Which status values keep a record (by default 0 to 13).
    void SetStatusRule(const StatusRule& rule) { statusRule_ = rule; }
    void Close();

    // Reads the next half hour into block: every record up to the first one
    // with a good status and another hour or half hour, whatever its count
    // and across file ends. The block's hour, half hour and date are those
    // of its first record, even one whose status gives no sample. False when
    // the stream has ended, or failed (the block is then not to be used).
    bool ReadBlock(StandardBlock& block);

    const char* BlockDate() const { return blockDate_; }
    HalfHourKey BlockKey() const { return blockKey_; }

    // A file could not be opened, a read failed, or a block outgrew the
    // memory: the rest of the stream is unknown.
    bool Failed() const { return failure_ != Failure::None; }
    bool OpenFailed() const { return failure_ == Failure::Open; }
    // The errno of the failure (0 for a file that would not open).
    int FailureError() const { return failureError_; }
    // The index of the file being read when it failed.
    std::size_t FailedFile() const { return current_; }

    // Bytes of all the files, and those consumed so far.
    std::int64_t TotalSize() const { return totalSize_; }
    std::int64_t Consumed() const { return finishedBytes_ + (stream_.IsOpen() ? stream_.Consumed() : 0); }

    const ReadCounts& RecordCounts() const { return counts_; }
    void ResetCounts() { counts_ = ReadCounts{}; }

private:
    enum class Failure { None, Open, Read, Memory };

    // Reads the next complete record of the stream into record_ and counts
    // it. A record that its file's end cuts short is no record; the next
    // file's first record follows. False at the end of the last file or on
    // a failure.
    bool NextRecord();
    // What a run of records parsed ahead in the default layout came to.
    enum class Run { None, Taken, Carried, NoMemory };
    // Counts the run's records and appends those of the block's half hour;
    // the first of another half hour is carried. None when no records of
    // the current file are parsed ahead.
    Run TakeParsedRecords(StandardBlock& block);
    bool OpenCurrent();
    bool Fail(Failure failure, int error);

    std::vector<std::filesystem::path> files_;
    std::vector<ColumnLayout> layouts_;  // empty: every file in the default layout
    MappedRecordReader mapped_;
    DefaultRecordReader records_;
    StatusRule statusRule_;
    std::size_t current_ = 0;  // the file being read, or files_.size()
    bool opened_ = false;      // files_[current_] has been opened
    RawStream stream_;
    RawRecord record_;
    bool carry_ = false;  // record_ opens the next block
    char blockDate_[kDateWidth + 1] = {};
    HalfHourKey blockKey_{0, 0};
    Failure failure_ = Failure::None;
    int failureError_ = 0;
    std::int64_t totalSize_ = 0;
    std::int64_t finishedBytes_ = 0;
    ReadCounts counts_;
};

}  // namespace kelvara
