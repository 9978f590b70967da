#pragma once
// One record of a raw data file, and reading it from a raw stream.

#include <cstdint>

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

struct RawRecord {
    char date[kDateWidth + 1] = {};
    char hour[kClockWidth + 1] = {};
    char minute[kClockWidth + 1] = {};
    float value[kVariableCount] = {};
    std::int32_t status = 0;
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

// The hour and half hour that every record of a block shares.
struct HalfHourKey {
    int hour;
    int minute;
    bool operator==(const HalfHourKey&) const = default;
};

// The record's hour, and its minute mapped to the half hour: 0..29 -> 0,
// 30..59 -> 30, anything else stays as it is.
HalfHourKey HalfHourKeyOf(const RawRecord& record);

// Records read since the counts were last reset, and those dropped for
// their status.
struct ReadCounts {
    std::int64_t records = 0;
    std::int64_t badStatus = 0;
};

}  // namespace kelvara
