#pragma once
// A record's full time stamp, as the standard methods read it: date and
// time, keyed by the absolute half hour it falls in, never by the clock
// alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/Calendar.h"

namespace kelvara {

// Nanoseconds since 1970-01-01 00:00 of the logger's clock (no time zone).
using TimePoint = std::int64_t;

inline constexpr TimePoint kNanosecondsPerSecond = 1'000'000'000;
inline constexpr TimePoint kHalfHourNanoseconds = 1800 * kNanosecondsPerSecond;

// The forms ParseTimeStamp reads, as the messages name them.
inline constexpr std::string_view kTimeStampForms =
    "YYYY-MM-DD hh:mm:ss or YYYY/MM/DD hh:mm:ss, a blank or T between date and time, "
    "seconds with any fraction, quoted or not, years 1678 to 2261";

// What the default layout needs of a time stamp, as the messages name it.
inline constexpr std::string_view kDefaultTimeStampForm =
    "the default layout reads a date, a blank, then the time hh:mm, within the first field";

// A time stamp that does not read: which file of a job's, the line (header
// lines counted, from 1) and the text.
struct BadTimeStamp {
    std::size_t file = 0;
    std::int64_t line = 0;
    std::string text;
    bool defaultLayout = false;  // the default method's reading, which finds no hour in it
};

// "YYYY-MM-DD hh:mm:ss[.fff...]": '-' or '/' between the date's numbers, a
// blank or 'T' before the time, blanks and a pair of double quotes around
// it. Nothing when the text is no such time stamp of a real day and time.
std::optional<TimePoint> ParseTimeStamp(std::string_view text);

// ParseTimeStamp for the records of one file in turn: a date and minute
// the same as the record before's (text and all) are not read again.
class TimeStampReader {
public:
    // False (time unset) when the text does not read.
    bool Read(std::string_view text, TimePoint& time);

private:
    static constexpr std::size_t kMinuteLength = 17;  // "YYYY-MM-DD hh:mm:"
    char minute_[kMinuteLength] = {};
    long long minuteStart_ = 0;  // seconds since 1970
    bool known_ = false;         // minute_ holds a date and minute that read
};

// The half hour a time falls in, counted from 1970 (floor of time / 30 min).
std::int64_t HalfHourOf(TimePoint time);

// The end of a half hour; the end of the last half hour of a day is 00:00
// of the next.
CalendarTime HalfHourEnd(std::int64_t halfHour);

// A time in seconds since 1970, for the sampling frequency.
inline double Seconds(TimePoint time) { return static_cast<double>(time) / static_cast<double>(kNanosecondsPerSecond); }

}  // namespace kelvara
