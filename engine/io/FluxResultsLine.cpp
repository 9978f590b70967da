#include "io/FluxResultsLine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace kelvara {

namespace {

constexpr int kHalfHourMinutes = 30;
// Every column but the two time stamps.
constexpr int kValueColumns = kFluxValueColumns;

// Appends fields to a line; each field is preceded by a comma.
class LineWriter {
public:
    explicit LineWriter(char* out) : out_(out) {}

    void Text(std::string_view text) {
        std::memcpy(out_ + length_, text.data(), text.size());
        length_ += static_cast<int>(text.size());
    }
    void Comma() { out_[length_++] = ','; }
    void Number(double value) {
        Comma();
        if (!std::isfinite(value)) return Text(kFluxMissing);
        length_ += std::snprintf(out_ + length_, 32, "%.9g", value);
    }
    void Integer(long long value) {
        Comma();
        length_ += std::snprintf(out_ + length_, 32, "%lld", value);
    }
    void Percent(const std::optional<int>& value) {
        if (!value) {
            Comma();
            return Text(kFluxMissing);
        }
        Integer(*value);
    }
    void Times(const CalendarTime& end) {
        char text[13];
        FormatCompactTime(MinutesBefore(end, kHalfHourMinutes), text);
        Text(text);
        Comma();
        FormatCompactTime(end, text);
        Text(text);
    }
    int End() {
        out_[length_] = '\0';
        return length_;
    }

private:
    char* out_;
    int length_ = 0;
};

}  // namespace

void FormatCompactTime(const CalendarTime& time, char* out) {
    // Each field held to its width, so that any input fits the 13 characters.
    const auto clamp = [](int value, int high) { return value < 0 ? 0 : (value > high ? high : value); };
    std::snprintf(out, 13, "%04d%02d%02d%02d%02d", clamp(time.year, 9999), clamp(time.month, 99), clamp(time.day, 99),
                  clamp(time.hour, 99), clamp(time.minute, 99));
}

int FormatFluxLine(const CalendarTime& end, const CorrectedFluxes& f, char* out) {
    LineWriter line(out);
    line.Times(end);
    VisitFluxColumns(f, line);
    return line.End();
}

int FormatRejectedFluxLine(const CalendarTime& end, char* out) {
    LineWriter line(out);
    line.Times(end);
    for (int column = 0; column < kValueColumns; ++column) {
        line.Comma();
        line.Text(kFluxMissing);
    }
    return line.End();
}

}  // namespace kelvara
