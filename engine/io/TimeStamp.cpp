#include "io/TimeStamp.h"

#include <cstring>

namespace kelvara {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly count digits at text[at], into value.
bool Digits(std::string_view text, std::size_t& at, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i, ++at) {
        if (at >= text.size() || !IsDigit(text[at])) return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

std::string_view Unquoted(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

// Nanoseconds of ".fff..." after the seconds: up to nine digits count, more
// are read and left out.
bool Fraction(std::string_view text, std::size_t& at, TimePoint& nanoseconds) {
    static constexpr TimePoint kScale[10] = {1'000'000'000, 100'000'000, 10'000'000, 1'000'000, 100'000,
                                             10'000,        1'000,       100,        10,        1};
    nanoseconds = 0;
    if (at == text.size()) return true;
    if (text[at] != '.') return false;
    ++at;
    TimePoint value = 0;
    int digits = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        if (digits == 9) continue;
        value = value * 10 + (text[at] - '0');
        ++digits;
    }
    nanoseconds = value * kScale[digits];
    return at == text.size();
}

constexpr int kFirstYear = 1678;
constexpr int kLastYear = 2261;

// The date and the blank or T after it, as days since 1970; false when
// they do not read or name no real day.
bool ReadDate(std::string_view text, std::size_t& at, long long& days) {
    int year, month, day;
    if (!Digits(text, at, 4, year) || at >= text.size()) return false;
    // Nanoseconds since 1970 in 64 bits reach from 1677 to 2262; a year
    // outside does not read rather than wrap around.
    if (year < kFirstYear || year > kLastYear) return false;
    const char dateSeparator = text[at];
    if (dateSeparator != '-' && dateSeparator != '/') return false;
    ++at;
    if (!Digits(text, at, 2, month) || !Expect(text, at, dateSeparator) || !Digits(text, at, 2, day)) return false;
    if (at >= text.size() || (text[at] != ' ' && text[at] != 'T')) return false;
    ++at;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    days = DaysSinceEpoch(CalendarDate{year, month, day});
    return true;
}

// "hh:mm:" after the date, as seconds of the day; false when they do not
// read or name no time of day.
bool ReadHourAndMinute(std::string_view text, std::size_t& at, long long& seconds) {
    int hour, minute;
    if (!Digits(text, at, 2, hour) || !Expect(text, at, ':') || !Digits(text, at, 2, minute) ||
        !Expect(text, at, ':')) {
        return false;
    }
    if (hour > 23 || minute > 59) return false;
    seconds = hour * 3600 + minute * 60;
    return true;
}

// The seconds and their fraction, to the text's end, after the minute
// that begins at base (seconds since 1970). (A bool and an out value, not
// an optional: this runs for every record, and returning the optional
// stalled on its flag byte.)
bool ReadSeconds(std::string_view text, std::size_t at, long long base, TimePoint& time) {
    int second;
    if (!Digits(text, at, 2, second)) return false;
    TimePoint fraction = 0;
    if (!Fraction(text, at, fraction) || second > 59) return false;
    time = (base + second) * kNanosecondsPerSecond + fraction;
    return true;
}

}  // namespace

std::optional<TimePoint> ParseTimeStamp(std::string_view text) {
    text = Unquoted(text);
    std::size_t at = 0;
    long long days = 0;
    long long ofDay = 0;
    if (!ReadDate(text, at, days) || !ReadHourAndMinute(text, at, ofDay)) return std::nullopt;
    TimePoint time;
    if (!ReadSeconds(text, at, days * 86400 + ofDay, time)) return std::nullopt;
    return time;
}

bool TimeStampReader::Read(std::string_view text, TimePoint& time) {
    text = Unquoted(text);
    if (!known_ || text.size() < kMinuteLength || std::memcmp(text.data(), minute_, kMinuteLength) != 0) {
        std::size_t at = 0;
        long long days = 0;
        long long ofDay = 0;
        known_ = ReadDate(text, at, days) && ReadHourAndMinute(text, at, ofDay);
        if (!known_) return false;
        minuteStart_ = days * 86400 + ofDay;
        std::memcpy(minute_, text.data(), kMinuteLength);
    }
    return ReadSeconds(text, kMinuteLength, minuteStart_, time);
}

std::int64_t HalfHourOf(TimePoint time) {
    const std::int64_t quotient = time / kHalfHourNanoseconds;
    return time % kHalfHourNanoseconds < 0 ? quotient - 1 : quotient;
}

CalendarTime HalfHourEnd(std::int64_t halfHour) {
    const std::int64_t end = halfHour + 1;
    std::int64_t days = end / 48;
    std::int64_t ofDay = end % 48;
    if (ofDay < 0) {
        ofDay += 48;
        --days;
    }
    const CalendarDate date = DateOfDays(days);
    return CalendarTime{date.year, date.month, date.day, static_cast<int>(ofDay / 2), static_cast<int>(ofDay % 2 * 30)};
}

}  // namespace kelvara
