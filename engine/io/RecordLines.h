#pragma once
// Whole record lines of the raw format, parsed in one pass each into arrays:
// the step between a buffer of a raw file and the records that readers cut
// into blocks. It needs nothing but the bytes, so pieces of a buffer cut at
// line ends can be parsed apart.

#include <cstdint>

#include "io/RawRecord.h"
#include "io/TimeStamp.h"
#include "pipeline/Variable.h"

namespace kelvara {

// The records of consecutive lines of one piece, in file order.
struct RecordColumns {
    static constexpr int kCapacity = 2048;

    int count = 0;
    float value[kVariableCount][kCapacity];
    std::int32_t status[kCapacity];
    HalfHourKey key[kCapacity];
    // Where each record's line ends, just past its line feed, counted from
    // the piece's start; the next line begins there.
    std::uint32_t lineEnd[kCapacity];
    // The date text starts one character into the line.
    std::uint8_t dateLength[kCapacity];
    // With withTimes set, each record's full time stamp is read too (for
    // the standard methods); timeRead[i] is 0 when it does not read.
    bool withTimes = false;
    TimePoint time[kCapacity];
    std::uint8_t timeRead[kCapacity];

    std::uint32_t LineBegin(int i) const { return i == 0 ? 0 : lineEnd[i - 1]; }
};

// Parses the lines of [begin, end), which ends just past a line feed, from
// its start into columns (replacing what they held), until the columns are
// full or a line's fields would run past its line feed: such a line, and
// what follows it, is left to the character reader. Each record is exactly
// what that reader makes of its line, and with withTimes its time the
// time stamp reading's. Returns where the parsing stopped.
const char* ParseRecordLines(const char* begin, const char* end, RecordColumns& columns);

// Record i of the columns into record; the piece began at begin and must be
// readable RawStream::kPadding bytes past its end.
void TakeRecord(const RecordColumns& columns, int i, const char* begin, RawRecord& record);

}  // namespace kelvara
