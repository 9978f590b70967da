#include "io/BlockTime.h"

#include "io/TimeStamp.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "io/Calendar.h"

namespace kelvara {

namespace {

int Digits(const char* text, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

// A date text of exactly the form YYYY-MM-DD naming a real day.
bool ParseDate(const char* text, CalendarDate& date) {
    if (std::strlen(text) != 10 || text[4] != '-' || text[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    date = CalendarDate{Digits(text, 4), Digits(text + 5, 2), Digits(text + 8, 2)};
    return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

}  // namespace

ClockTime HalfHourEnd(HalfHourKey key) {
    int minute = key.minute + 30;
    int hour = key.hour;
    if (minute == 60) {
        minute = 0;
        hour += 1;
    }
    if (hour > 23) hour -= 24;
    return ClockTime{hour, minute};
}

void FormatClockLabel(HalfHourKey key, char* out) {
    const ClockTime end = HalfHourEnd(key);
    // Both numbers come from texts of at most two digits, so this fits.
    char* p = std::to_chars(out, out + 5, end.hour).ptr;
    *p++ = ':';
    p = std::to_chars(p, p + 5, end.minute).ptr;
    *p = '\0';
}

int FormatLabelledTime(const char* date, const char* label, char* out) {
    // The date is at most kDateWidth characters and the label at most 5.
    return std::snprintf(out, kBlockTimeSize, "%s %s", date, label);
}

void FormatBlockTime(const char* date, HalfHourKey key, char* out) {
    const auto [hour, minute] = HalfHourEnd(key);
    CalendarDate day;
    if (hour == 0 && minute == 0 && ParseDate(date, day)) {
        const CalendarDate next = NextDay(day);
        std::snprintf(out, kBlockTimeSize, "%04d-%02d-%02d %02d:%02d", next.year, next.month, next.day, hour, minute);
        return;
    }
    // The date text is at most kDateWidth characters, the clock values come
    // from texts of at most two characters: the text always fits.
    std::snprintf(out, kBlockTimeSize, "%s %02d:%02d", date, hour, minute);
}

bool BlockEndTime(const char* date, HalfHourKey key, CalendarTime& end) {
    CalendarDate day;
    if (!ParseDate(date, day) || key.hour < 0 || key.hour > 23 || key.minute < 0 || key.minute > 59) return false;
    const int minuteOfDay = (key.hour * 60 + key.minute + 30) % (24 * 60);
    if (minuteOfDay == 0) day = NextDay(day);
    end = CalendarTime{day.year, day.month, day.day, minuteOfDay / 60, minuteOfDay % 60};
    return true;
}

void FormatHalfHourEnd(std::int64_t halfHour, char* out) {
    const CalendarTime end = HalfHourEnd(halfHour);
    std::snprintf(out, kBlockTimeSize, "%04d-%02d-%02d %02d:%02d", end.year, end.month, end.day, end.hour, end.minute);
}

}  // namespace kelvara
