#include "io/Calendar.h"

namespace kelvara {

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
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

CalendarDate PreviousDay(CalendarDate date) {
    if (--date.day < 1) {
        if (--date.month < 1) {
            date.month = 12;
            --date.year;
        }
        date.day = DaysInMonth(date.year, date.month);
    }
    return date;
}

CalendarTime MinutesBefore(CalendarTime time, int minutes) {
    int minuteOfDay = time.hour * 60 + time.minute - minutes;
    if (minuteOfDay < 0) {
        minuteOfDay += 24 * 60;
        const CalendarDate day = PreviousDay(CalendarDate{time.year, time.month, time.day});
        time.year = day.year;
        time.month = day.month;
        time.day = day.day;
    }
    time.hour = minuteOfDay / 60;
    time.minute = minuteOfDay % 60;
    return time;
}

}  // namespace kelvara
