#pragma once
// The raw data reader: records of one raw file, optionally completed by the
// file that follows it, grouped into half-hour blocks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "io/ColumnLayout.h"
#include "io/MappedRecord.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"
#include "io/StatusRule.h"
#include "io/TimeStamp.h"
#include "pipeline/BlockBuffer.h"

namespace kelvara {

class RawReader {
public:
    // Each opens a file behind its four header lines, to be read in the
    // layout given (by default the raw format's own). OpenFirst forgets
    // everything read before, so nothing of an earlier file enters a block
    // of this one.
    bool OpenFirst(const std::filesystem::path& file, const ColumnLayout& layout = ColumnLayout{});
    // The half hour open at the first file's end continues here.
    bool OpenSecond(const std::filesystem::path& file, const ColumnLayout& layout = ColumnLayout{});
    void Close();

    // Which status values keep a record (by default 0 to 13).
    void SetStatusRule(const StatusRule& rule) { statusRule_ = rule; }
    const StatusRule& GetStatusRule() const { return statusRule_; }
    // Shares the parse of the first file's lines (see DefaultRecordReader).
    void ShareParsing(PieceOffer* offer) { firstRecords_.ShareParsing(offer); }

    // Reads the next block into block.sample (records 0..count-1), sets
    // block.count and returns it; 1 (with a count of 0) once the first file
    // had ended.
    int ReadBlock(BlockBuffer& block);

    // The first file's end was met while reading a block.
    bool FirstFileEnded() const { return firstFileEnded_; }
    // The date of the block's first record and the end of its half hour.
    const char* BlockDate() const { return blockDate_; }
    const char* BlockLabel() const { return blockLabel_; }
    // The half hour the block's records fall in, as their time stamps say.
    HalfHourKey BlockStart() const { return blockKey_; }
    std::int64_t FirstFileSize() const { return first_.Size(); }
    // A read of either file failed (its errno, 0 if none): what was read is
    // incomplete, and the block just read must not be used.
    int ReadError() const { return first_.Failed() ? first_.ReadError() : second_.ReadError(); }
    bool SecondFileFailed() const { return !first_.Failed() && second_.Failed(); }
    // A record whose time stamp holds no hour where the default layout
    // reads it: the reading stopped there, the block just read is not to
    // be used. Its file is 0 (the first) or 1.
    const std::optional<BadTimeStamp>& BadStamp() const { return badStamp_; }
    std::int64_t FirstFileConsumed() const { return first_.Consumed(); }

    using Counts = ReadCounts;
    const Counts& RecordCounts() const { return counts_; }
    void ResetCounts() { counts_ = Counts{}; }
    // Back to the counts after an earlier block, for a reader that has read
    // ahead of the blocks used.
    void RestoreCounts(const Counts& counts) { counts_ = counts; }

    using BlockKey = HalfHourKey;

private:
    static void SkipHeaderLines(RawStream& stream);
    // Counts a freshly read record; true when its status keeps it.
    bool Keeps(const RawRecord& record);
    // The block loop over the first file, read by Records: the default
    // layout's reader or the mapped one, chosen once per block.
    template <class Records>
    int ReadBlockWith(Records records, BlockBuffer& block);
    // The passes of the block loop over a run of records parsed ahead in
    // the default layout, from pass on; false when none are parsed ahead.
    bool TakeParsedRecords(BlockKey key, BlockBuffer& block, int& count, int& pass);
    bool ReadSecondRecord();
    // Stops the reading at the record just read from file (0 or 1), whose
    // time stamp has no hour; the block ends empty.
    int StopOnTimeStamp(std::size_t file, BlockBuffer& block);
    // False when a record of the second file has no hour in its time stamp.
    bool ContinueFromSecondFile(BlockBuffer& block, BlockKey key, int& count);

    RawStream first_;
    RawStream second_;
    std::filesystem::path firstPath_;
    std::filesystem::path secondPath_;
    ColumnLayout firstLayout_;
    ColumnLayout secondLayout_;
    MappedRecordReader mapped_;
    DefaultRecordReader firstRecords_;
    DefaultRecordReader secondRecords_;
    StatusRule statusRule_;
    RawRecord record_;  // the most recently read record
    char blockDate_[kDateWidth + 1] = {};
    char blockLabel_[kDateWidth + 1] = {};
    HalfHourKey blockKey_{0, 0};
    bool carry_ = false;  // record_ holds the first record of the next block
    bool firstFileEnded_ = false;
    std::optional<BadTimeStamp> badStamp_;
    Counts counts_;
};

}  // namespace kelvara
