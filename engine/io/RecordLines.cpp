#include "io/RecordLines.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "io/NumberText.h"

namespace kelvara {

namespace {

std::string_view Cut(const char* start, const char* stop, int width) {
    return std::string_view(start, std::min(static_cast<std::size_t>(stop - start), static_cast<std::size_t>(width)));
}

// atoi of an hour or minute text cut to its width; one or two digits, as
// a logger writes them, directly.
int ClockNumber(const char* start, const char* stop) {
    const std::ptrdiff_t length = stop - start;
    if (length == 2 && detail::IsDecimalDigit(start[0]) && detail::IsDecimalDigit(start[1])) {
        return (start[0] - '0') * 10 + (start[1] - '0');
    }
    if (length == 1 && detail::IsDecimalDigit(start[0])) return start[0] - '0';
    return AtoiText(Cut(start, stop, kClockWidth));
}

// Where the time stamp's fields end in a line.
struct TimeStampFields {
    const char* date;
    const char* dateEnd;  // the blank
    const char* hourEnd;  // the first colon
    const char* minuteEnd;
};

void StoreTimeStamp(const TimeStampFields& fields, RecordColumns& columns, int i) {
    columns.key[i] = HalfHourKey{ClockNumber(fields.dateEnd + 1, fields.hourEnd),
                                 HalfHourOf(ClockNumber(fields.hourEnd + 1, fields.minuteEnd))};
    columns.dateLength[i] =
        static_cast<std::uint8_t>(std::min<std::ptrdiff_t>(fields.dateEnd - fields.date, kDateWidth));
}

// Whether the n bytes at a and at b are the same, eight at a time.
bool SameBytes(const char* a, const char* b, int n) {
    const auto word = [](const char* p) {
        std::uint64_t value;
        std::memcpy(&value, p, sizeof value);
        return value;
    };
    if (n < 8) return std::memcmp(a, b, static_cast<std::size_t>(n)) == 0;
    for (int k = 0; k + 8 <= n; k += 8) {
        if (word(a + k) != word(b + k)) return false;
    }
    return word(a + n - 8) == word(b + n - 8);
}

// The time stamp of the line parsed before, up to its minute's colon. A
// line that begins with the same bytes has the same date, hour and minute
// where that one had them: the logger writes many lines a minute, and they
// are not scanned again.
class MinuteBefore {
public:
    // The fields of the line at p (at least kLongest bytes before end) when
    // it begins as the line before did.
    bool Match(const char* p, const char* end, TimeStampFields& fields) const {
        if (line_ == nullptr || end - p < kLongest || !SameBytes(p, line_, length_)) return false;
        fields = TimeStampFields{p + 1, p + dateEnd_, p + hourEnd_, p + length_ - 1};
        return true;
    }
    void Keep(const char* p, const TimeStampFields& fields) {
        const auto length = fields.minuteEnd + 1 - p;
        if (length > kLongest) {
            line_ = nullptr;
            return;
        }
        line_ = p;
        length_ = static_cast<int>(length);
        dateEnd_ = static_cast<int>(fields.dateEnd - p);
        hourEnd_ = static_cast<int>(fields.hourEnd - p);
    }

private:
    static constexpr int kLongest = 24;

    const char* line_ = nullptr;
    int length_ = 0;  // to the minute's colon, included
    int dateEnd_ = 0;
    int hourEnd_ = 0;
};

// The status runs to the line feed.
std::int32_t StatusOfField(const char* start, const char* lineFeed) {
    return AtoiText(Cut(start, lineFeed, kStatusWidth));
}

// Every scan below stops at the line feed that ends the piece, so none of
// them needs a bound of its own: the line feed is the sentinel.
class LineScanner {
public:
    explicit LineScanner(const char* p) : p_(p) {}

    const char* Position() const { return p_; }

    // Moves just past a delimiter of the time stamp; false when the line or
    // the first field ends first.
    bool PastInTimeStamp(char delimiter) {
        for (;;) {
            const char c = *p_;
            if (c == delimiter) break;
            if (c == '\n' || c == ',') return false;
            ++p_;
        }
        ++p_;
        return true;
    }

    // Moves just past the delimiter; false when the line ends first.
    bool Past(char delimiter) {
        for (;;) {
            const char c = *p_;
            if (c == delimiter) break;
            if (c == '\n') return false;
            ++p_;
        }
        ++p_;
        return true;
    }

    // One value to its comma, usually [-]digits[.digits] converted in the
    // same pass that finds the comma; anything else as atof reads the text
    // cut to the field width.
    bool Value(const char* end, float& value) {
        const char* const start = p_;
        const detail::PlainDecimal number = detail::ScanPlainDecimal<true>(start, end);
        if (*number.stop == ',' && number.stop - start <= kValueWidth && number.IsExact()) {
            value = static_cast<float>(number.Value());
            p_ = number.stop + 1;
            return true;
        }
        if (!Past(',')) return false;
        value = static_cast<float>(GeneralAtofText(Cut(start, p_ - 1, kValueWidth)));
        return true;
    }

    // Moves to the line feed.
    void ToLineFeed() {
        while (*p_ != '\n') ++p_;
    }

private:
    const char* p_;
};

// The date, the hour and the minute of the line at p, each up to its
// delimiter; false when the line or its first field ends first.
bool ScanTimeStamp(const char* p, TimeStampFields& fields) {
    LineScanner line(p + 1);
    if (!line.PastInTimeStamp(' ')) return false;
    fields.dateEnd = line.Position() - 1;
    if (!line.PastInTimeStamp(':')) return false;
    fields.hourEnd = line.Position() - 1;
    if (!line.PastInTimeStamp(':')) return false;
    fields.minuteEnd = line.Position() - 1;
    return true;
}

// One line, one field after the other, each up to its delimiter, as the
// character reader reads them; false when a field would run past the line
// feed.
bool ParseLine(const char* p, const char* end, RecordColumns& columns, int i, const char*& next, TimeStampReader& times,
               MinuteBefore& minuteBefore) {
    // The line feed as the leading character: the character reader would
    // go on into the next line.
    if (*p == '\n') return false;
    TimeStampFields fields{p + 1, nullptr, nullptr, nullptr};
    const bool sameMinute = minuteBefore.Match(p, end, fields);
    if (!sameMinute && !ScanTimeStamp(p, fields)) return false;
    LineScanner line(fields.minuteEnd + 1);
    if (!line.Past(',')) return false;
    if (columns.withTimes) {
        // The time field runs from the line's start to its first comma.
        const auto field = std::string_view(p, static_cast<std::size_t>(line.Position() - 1 - p));
        TimePoint time = 0;
        columns.timeRead[i] = times.Read(field, time);
        columns.time[i] = time;
    }
    for (int v = 0; v < kVariableCount; ++v) {
        if (!line.Value(end, columns.value[v][i])) return false;
    }
    const char* const status = line.Position();
    line.ToLineFeed();
    columns.status[i] = StatusOfField(status, line.Position());
    if (sameMinute) {
        columns.key[i] = columns.key[i - 1];
        columns.dateLength[i] = columns.dateLength[i - 1];
    } else {
        StoreTimeStamp(fields, columns, i);
        minuteBefore.Keep(p, fields);
    }
    next = line.Position() + 1;
    return true;
}

}  // namespace

const char* ParseRecordLines(const char* begin, const char* end, RecordColumns& columns) {
    const char* p = begin;
    int count = 0;
    TimeStampReader times;
    MinuteBefore minuteBefore;
    while (p != end && count < RecordColumns::kCapacity) {
        const char* next;
        if (!ParseLine(p, end, columns, count, next, times, minuteBefore)) break;
        p = next;
        columns.lineEnd[count] = static_cast<std::uint32_t>(p - begin);
        ++count;
    }
    columns.count = count;
    return p;
}

void TakeRecord(const RecordColumns& columns, int i, const char* begin, RawRecord& record) {
    for (int v = 0; v < kVariableCount; ++v) record.value[v] = columns.value[v][i];
    record.status = columns.status[i];
    record.key = columns.key[i];
    // A fixed-size copy (the padding covers a date at the piece's end); the
    // terminator cuts it to its length.
    static_assert(sizeof record.date == kDateWidth + 1);
    std::memcpy(record.date, begin + columns.LineBegin(i) + 1, kDateWidth);
    record.date[columns.dateLength[i]] = '\0';
}

}  // namespace kelvara
