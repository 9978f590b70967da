#pragma once
// The logger's clock: calendar date and time of day, stepped one sample at a
// time, written as the raw file's time stamp.

#include <cstdint>
#include <string_view>

namespace kelvara::samples {

struct CivilTime {
    int year = 2024;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads exactly "YYYY-MM-DD hh:mm:ss". False for any other text or an
// impossible date or time.
bool ParseCivilTime(std::string_view text, CivilTime& time);

int DaysInMonth(int year, int month);

class SampleClock {
public:
    // Longest stamp: "YYYY-MM-DD hh:mm:ss.ff".
    static constexpr int kMaxStampLength = 22;

    SampleClock(const CivilTime& start, int hz);

    // One sample period on; rolls over midnight, month and year ends.
    void Advance();

    // Writes "YYYY-MM-DD hh:mm:ss.f" (10 Hz) or "... ss.ff" (20 Hz), no
    // terminator; returns the number of characters.
    int WriteStamp(char* out) const;

    // Hours since midnight, with fractions.
    double HourOfDay() const;

    // True at the first sample of every whole second.
    bool AtWholeSecond() const { return tickOfDay_ % hz_ == 0; }

private:
    void NextDay();
    void RenderDate();

    int year_;
    int month_;
    int day_;
    int hz_;
    std::int64_t tickOfDay_;
    std::int64_t ticksPerDay_;
    char date_[10];
};

}  // namespace kelvara::samples
