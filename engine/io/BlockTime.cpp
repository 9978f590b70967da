#include "io/BlockTime.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace kelvara {

namespace {

struct CalendarDate {
    int year;
    int month;
    int day;
};

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

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

CalendarDate NextDay(CalendarDate date) {
    if (++date.day > DaysInMonth(date.year, date.month)) {
        date.day = 1;
        if (++date.month > 12) {
            date.month = 1;
            ++date.year;
        }
    }
    return date;
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

}  // namespace kelvara
