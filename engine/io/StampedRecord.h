#pragma once
// The standard methods' reading of a raw file: each line one record, with
// its full time stamp. A line with fewer fields than the layout needs is no
// record and is passed over; a record whose time stamp does not read stops
// the stream.

#include <cstdint>
#include <memory>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/RawRecord.h"
#include "io/RawStream.h"
#include "io/StatusRule.h"
#include "io/TimeStamp.h"
#include "pipeline/Variable.h"

namespace kelvara {

struct StampedRecord {
    TimePoint time = 0;
    float value[kVariableCount] = {};
    std::int32_t status = 0;
};

enum class LineRead {
    Record,
    Short,    // fewer fields than the layout needs: no record
    BadTime,  // the time stamp does not read
};

// One line [begin, end) without its line feed (a CR before it is dropped).
// timeText gets the time stamp's field either way.
LineRead ReadStampedLine(const char* begin, const char* end, const ColumnLayout& layout, StampedRecord& record,
                         std::string& timeText);

// The records of one raw file, after its header lines: the default
// layout's well-formed lines parsed ahead in one pass each, every other
// line read on its own.
class StampedRecordReader {
public:
    enum class Next { Record, End, BadTime };

    StampedRecordReader();

    // Starts over for a stream just opened behind its header lines.
    void Restart();
    // Shares the parse of the default layout's lines (see DefaultRecordReader).
    void ShareParsing(PieceOffer* offer) { parsed_.ShareParsing(offer); }
    // The next record into record. End at the end of the file (or a failed
    // read: the stream says so); BadTime with the line's number and text.
    Next Read(RawStream& stream, const ColumnLayout& layout, StampedRecord& record);

    // The records parsed ahead of the stream's position (see
    // DefaultRecordReader::ParsedRun), for a reader that takes many at once;
    // none for a mapped layout. Each one's time is valid where timeRead is set.
    DefaultRecordReader::Run ParsedRun(RawStream& stream, const ColumnLayout& layout);
    // Takes the run's records before index end, as many Reads would.
    void TakeRun(RawStream& stream, const DefaultRecordReader::Run& run, int end);

    // The number of the line read last (header lines counted, from 1), and
    // the time stamp text of a BadTime.
    std::int64_t Line() const { return line_; }
    const std::string& TimeText() const { return timeText_; }
    // Lines passed over for want of fields.
    std::int64_t ShortLines() const { return shortLines_; }

private:
    bool TakeParsed(RawStream& stream, StampedRecord& record, Next& next);
    bool NextLine(RawStream& stream, const char*& begin, const char*& end);

    DefaultRecordReader parsed_;
    std::string longLine_;  // a line the buffer cannot hold whole
    std::string timeText_;
    std::int64_t line_ = kHeaderLineCount;
    std::int64_t shortLines_ = 0;
};

// What the first records of a raw file say of its time, read before a
// stream is formed: to put files in time order, and for the sampling
// frequency.
struct FirstRecords {
    enum class Status { Read, CannotRead, BadTime };
    Status status = Status::Read;
    std::vector<TimePoint> times;  // of the first records, at most the count asked for
    std::int64_t badLine = 0;      // a BadTime's line and text
    std::string badText;
};

FirstRecords ReadFirstRecords(const std::filesystem::path& file, const ColumnLayout& layout, std::size_t count);

// The latest time of a record with a good status among the last lines of a
// raw file (its last tailBytes): a guess, cheap to make, at what a stream
// has kept when it leaves the file. Nothing when none reads there.
std::optional<TimePoint> LatestGoodTimeNearEnd(const std::filesystem::path& file, const ColumnLayout& layout,
                                               const StatusRule& rule, std::int64_t tailBytes);

}  // namespace kelvara
