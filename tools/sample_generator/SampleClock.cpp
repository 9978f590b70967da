#include "SampleClock.h"

namespace kelvara::samples {

namespace {

bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

void PutTwoDigits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool ParseCivilTime(std::string_view text, CivilTime& time) {
    // Positions of the separators in "YYYY-MM-DD hh:mm:ss".
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':') {
        return false;
    }
    CivilTime t;
    if (!ReadDigits(text, 0, 4, t.year) || !ReadDigits(text, 5, 2, t.month) || !ReadDigits(text, 8, 2, t.day) ||
        !ReadDigits(text, 11, 2, t.hour) || !ReadDigits(text, 14, 2, t.minute) || !ReadDigits(text, 17, 2, t.second)) {
        return false;
    }
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
        t.minute > 59 || t.second > 59) {
        return false;
    }
    time = t;
    return true;
}

SampleClock::SampleClock(const CivilTime& start, int hz)
    : year_(start.year),
      month_(start.month),
      day_(start.day),
      hz_(hz),
      tickOfDay_((static_cast<std::int64_t>(start.hour) * 3600 + start.minute * 60 + start.second) * hz),
      ticksPerDay_(static_cast<std::int64_t>(86400) * hz) {
    RenderDate();
}

void SampleClock::Advance() {
    if (++tickOfDay_ < ticksPerDay_) return;
    tickOfDay_ = 0;
    NextDay();
}

void SampleClock::NextDay() {
    if (++day_ > DaysInMonth(year_, month_)) {
        day_ = 1;
        if (++month_ > 12) {
            month_ = 1;
            ++year_;
        }
    }
    RenderDate();
}

void SampleClock::RenderDate() {
    const int year = year_ % 10000;
    PutTwoDigits(date_, year / 100);
    PutTwoDigits(date_ + 2, year % 100);
    date_[4] = '-';
    PutTwoDigits(date_ + 5, month_);
    date_[7] = '-';
    PutTwoDigits(date_ + 8, day_);
}

int SampleClock::WriteStamp(char* out) const {
    const std::int64_t second = tickOfDay_ / hz_;
    const int tick = static_cast<int>(tickOfDay_ % hz_);
    for (int i = 0; i < 10; ++i) out[i] = date_[i];
    out[10] = ' ';
    PutTwoDigits(out + 11, static_cast<int>(second / 3600));
    out[13] = ':';
    PutTwoDigits(out + 14, static_cast<int>(second / 60 % 60));
    out[16] = ':';
    PutTwoDigits(out + 17, static_cast<int>(second % 60));
    out[19] = '.';
    if (hz_ == 10) {
        out[20] = static_cast<char>('0' + tick);
        return 21;
    }
    // Hundredths of a second for any other rate (20 Hz gives .00, .05, .10, ...).
    PutTwoDigits(out + 20, tick * 100 / hz_);
    return 22;
}

double SampleClock::HourOfDay() const { return static_cast<double>(tickOfDay_) / (3600.0 * hz_); }

}  // namespace kelvara::samples
