#pragma once
// Days of the proleptic Gregorian calendar, for the time stamps the results
// files write.

namespace kelvara {

struct CalendarDate {
    int year;
    int month;  // 1 to 12
    int day;    // 1 to the month's days
};

// A minute of a day; midnight is 00:00 of the day that begins.
struct CalendarTime {
    int year;
    int month;
    int day;
    int hour;    // 0 to 23
    int minute;  // 0 to 59
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
CalendarDate NextDay(CalendarDate date);
CalendarDate PreviousDay(CalendarDate date);

// The time minutes (0 to 1440) earlier, the day, month and year borrowed.
CalendarTime MinutesBefore(CalendarTime time, int minutes);

// Days since 1970-01-01 of a date, and back (the proleptic Gregorian
// calendar, negative before 1970).
long long DaysSinceEpoch(CalendarDate date);
CalendarDate DateOfDays(long long days);

}  // namespace kelvara
