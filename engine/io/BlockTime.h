#pragma once
// The Time field of the results files: the date of a block and the end of
// its half hour.

#include "io/Calendar.h"
#include <cstdint>

#include "io/RawRecord.h"

namespace kelvara {

// Room for the longest Time field, with its null.
inline constexpr int kBlockTimeSize = 32;

struct ClockTime {
    int hour;
    int minute;
};

// The end of the half hour that key opens: minute + 30, 60 carries into the
// hour, an hour above 23 loses 24.
ClockTime HalfHourEnd(HalfHourKey key);

// The default results' label: the end of the half hour without leading
// zeros ("10:30", "11:0", "0:0"). out holds at least 6 characters.
void FormatClockLabel(HalfHourKey key, char* out);

// The default results' Time field: the date of the block's first record as
// it stands, a blank and the label. Returns its length.
int FormatLabelledTime(const char* date, const char* label, char* out);

// The standard results' Time field, "YYYY-MM-DD HH:MM": the end of the half
// hour that key opens on date, both clock numbers with two digits at least.
// When the end is 00:00 (the 23:30 block) a YYYY-MM-DD date is advanced by a
// day; a date text of any other form stays as it stands.
void FormatBlockTime(const char* date, HalfHourKey key, char* out);

// The same end as a calendar time, for a YYYY-MM-DD date and a clock that
// names a time of day; false otherwise.
bool BlockEndTime(const char* date, HalfHourKey key, CalendarTime& end);

// The standard results' Time field of an absolute half hour (counted from
// 1970): its end, "YYYY-MM-DD HH:MM"; the last half hour of a day ends at
// 00:00 of the next.
void FormatHalfHourEnd(std::int64_t halfHour, char* out);

}  // namespace kelvara
