#pragma once
// One record of a raw data file, and reading it from a raw stream.

#include <cstdint>
#include <memory>

#include "io/RawStream.h"
#include "pipeline/Variable.h"

namespace kelvara {

// The lines before a raw file's first record, skipped unread.
inline constexpr int kHeaderLineCount = 4;

// Field widths: longer texts are read but cut to these.
inline constexpr int kDateWidth = 11;
inline constexpr int kClockWidth = 2;
inline constexpr int kRestWidth = 9;
inline constexpr int kValueWidth = 19;
inline constexpr int kStatusWidth = 9;

// The hour and half hour that every record of a block shares.
struct HalfHourKey {
    int hour;
    int minute;
    bool operator==(const HalfHourKey&) const = default;
};

struct RawRecord {
    char date[kDateWidth + 1] = {};
    char hour[kClockWidth + 1] = {};
    char minute[kClockWidth + 1] = {};
    float value[kVariableCount] = {};
    std::int32_t status = 0;
    // The half hour of the time stamp, as HalfHourKeyOf gives it; set by
    // every reader. (The default layout's line reader leaves the hour and
    // minute texts unset.)
    HalfHourKey key{0, 0};
    // Set by a reader that found no hour in the time stamp (no blank or
    // colon within its field); the record is then none.
    bool badTime = false;
};

// Leading character, date, hour, minute and the rest of the time stamp.
// False when the file ends before the time stamp is complete.
bool ReadTimeStamp(RawStream& stream, RawRecord& record);

// The seven values and the status. False when the file ends before the
// status has at least one character.
bool ReadValuesAndStatus(RawStream& stream, RawRecord& record);

// Time stamp, values and status.
bool ReadWholeRecord(RawStream& stream, RawRecord& record);

// Status 0 to 13 keeps a record; any other drops it.
bool HasValidStatus(const RawRecord& record);

// A minute mapped to its half hour: 0..29 -> 0, 30..59 -> 30, anything
// else stays as it is.
inline int HalfHourOf(int minute) {
    if (minute >= 0 && minute <= 29) return 0;
    if (minute >= 30 && minute <= 59) return 30;
    return minute;
}

// The record's hour, and its minute mapped to the half hour, from its texts.
HalfHourKey HalfHourKeyOf(const RawRecord& record);

struct RecordColumns;
class PieceOffer;

// The default layout's records of one stream, whole lines parsed ahead in
// arrays (see RecordLines.h) and handed out one by one; a line the arrays
// cannot take, or one cut by the file's end, goes through the character
// reader. Anything else that reads the stream makes the arrays stale, which
// is noticed.
class DefaultRecordReader {
public:
    DefaultRecordReader();
    ~DefaultRecordReader();
    DefaultRecordReader(const DefaultRecordReader&) = delete;
    DefaultRecordReader& operator=(const DefaultRecordReader&) = delete;

    // As ReadWholeRecord.
    bool ReadWhole(RawStream& stream, RawRecord& record);
    // As ReadTimeStamp, but a record whose line is parsed ahead is read
    // whole, and WholeRead() says so; ReadRest then reads nothing.
    bool ReadTimeStamp(RawStream& stream, RawRecord& record);
    bool ReadRest(RawStream& stream, RawRecord& record);
    bool WholeRead() const { return wholeRead_; }

    // The records parsed ahead of the stream's position, records [first,
    // end) of the columns, parsing more lines when none are; empty when the
    // next line is not for the arrays. For readers that take many at once.
    struct Run {
        const RecordColumns* columns = nullptr;
        int first = 0;
        int end = 0;
        const char* piece = nullptr;  // where line 0 of the columns begins in the buffer
    };
    Run ParsedRun(RawStream& stream);
    // Takes the run's records before index end: the stream moves past them.
    void TakeRun(RawStream& stream, int end);
    // Record i of the run's columns as a whole RawRecord.
    void Materialize(int i, RawRecord& record) const;

    // Offers each buffer's lines to another thread in pieces (nullptr:
    // parses every line itself). The records are the same either way.
    void ShareParsing(PieceOffer* offer) { offer_ = offer; }
    // Reads each parsed record's full time stamp too (RecordColumns::time).
    void ReadTimes();

    static constexpr int kMaxPieces = 8;

private:
    // Parses the buffered lines [begin, end) of stream, in pieces when they
    // are long enough and another thread may help.
    void ParseLines(RawStream& stream, const char* begin, const char* end);
    // The columns of the stream's position once the current ones are used:
    // a later piece that begins there, or the lines before the next piece
    // that no columns hold (the columns had no room for them, or the
    // character reader went past a line they could not take). False when
    // no piece of this load is left for the position.
    bool NextPiece(RawStream& stream);
    RecordColumns& Columns(int piece);
    // The next record from the arrays; false when the next line is not for
    // them.
    bool TakeParsed(RawStream& stream, RawRecord& record);

    std::unique_ptr<RecordColumns> pieces_[kMaxPieces];  // made when first needed
    const char* starts_[kMaxPieces + 1] = {};            // where each piece's lines begin in the buffer
    int pieceCount_ = 0;
    int piece_ = 0;               // the piece whose columns are in use
    const char* base_ = nullptr;  // where their line 0 begins
    int next_ = 0;                // their next record
    PieceOffer* offer_ = nullptr;
    bool readTimes_ = false;
    std::uint64_t load_ = ~0ull;  // the stream's load they were parsed from
    const RawStream* stream_ = nullptr;
    bool wholeRead_ = false;
};

// Records read since the counts were last reset, and those dropped for
// their status.
struct ReadCounts {
    std::int64_t records = 0;
    std::int64_t badStatus = 0;
};

}  // namespace kelvara
