#pragma once
// The Time field of the standard results: "YYYY-MM-DD HH:MM", the end of the
// half hour, with the date it falls on.

#include "io/Calendar.h"
#include "io/RawRecord.h"

namespace kelvara {

// Room for the longest text FormatBlockTime writes, with its null.
inline constexpr int kBlockTimeSize = 32;

// The end of the half hour that key opens on date: minute + 30, 60 carries
// into the hour, an hour above 23 loses 24, both written with two digits at
// least. When the end is 00:00 (the 23:30 block) a YYYY-MM-DD date is
// advanced by a day; a date text of any other form stays as it stands.
void FormatBlockTime(const char* date, HalfHourKey key, char* out);

// The same end as a calendar time, for a YYYY-MM-DD date and a clock that
// names a time of day; false otherwise.
bool BlockEndTime(const char* date, HalfHourKey key, CalendarTime& end);

}  // namespace kelvara
