#include "io/RecordLines.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "io/ByteWords.h"
#include "io/NumberText.h"
#include "io/SeparatorMasks.h"
#include "io/ShortDecimal.h"

namespace kelvara {

namespace {

std::string_view Cut(const char* start, const char* stop, int width) {
    return std::string_view(start, std::min(static_cast<std::size_t>(stop - start), static_cast<std::size_t>(width)));
}

// A value field [start, stop) as atof reads its text cut to the field
// width, then rounded to float.
inline float ValueOfField(const char* start, const char* stop) {
    float value;
    if (ShortDecimalField(start, static_cast<int>(stop - start), value)) return value;
    return static_cast<float>(GeneralAtofText(Cut(start, stop, kValueWidth)));
}

// atoi of an hour or minute text cut to its width; one or two digits, as
// a logger writes them, directly.
inline int ClockNumber(const char* start, const char* stop) {
    const std::ptrdiff_t length = stop - start;
    if (length == 2 && detail::IsDecimalDigit(start[0]) && detail::IsDecimalDigit(start[1])) {
        return (start[0] - '0') * 10 + (start[1] - '0');
    }
    if (length == 1 && detail::IsDecimalDigit(start[0])) return start[0] - '0';
    return AtoiText(Cut(start, stop, kClockWidth));
}

// Where the fields of one line begin and end.
struct TimeStampFields {
    const char* date;
    const char* dateEnd;  // the blank
    const char* hourEnd;  // the first colon
    const char* minuteEnd;
};

inline void StoreTimeStamp(const TimeStampFields& fields, RecordColumns& columns, int i) {
    columns.key[i] = HalfHourKey{ClockNumber(fields.dateEnd + 1, fields.hourEnd),
                                 HalfHourOf(ClockNumber(fields.hourEnd + 1, fields.minuteEnd))};
    columns.dateLength[i] =
        static_cast<std::uint8_t>(std::min<std::ptrdiff_t>(fields.dateEnd - fields.date, kDateWidth));
}

// The status runs to the line feed.
inline std::int32_t StatusOfField(const char* start, const char* lineFeed) {
    return AtoiText(Cut(start, lineFeed, kStatusWidth));
}

// The usual line, its separators found for all its fields at once, so that
// the fields' conversions do not wait on one another. False, whatever it
// stored, when the line is not the usual one: the line then goes to
// ParseLineInSteps, which decides.
bool ParseLineAtOnce(const char* p, RecordColumns& columns, int i, const char*& next) {
    const separators::TimeStampMasks stamp = separators::FindTimeStampSeparators(p);
    // Only what comes before the first line feed counts; the leading
    // character is skipped whatever it is.
    const std::uint64_t beforeLineFeed =
        stamp.lineFeed == 0 ? ~std::uint64_t{0} : (stamp.lineFeed & -stamp.lineFeed) - 1;
    const std::uint64_t spaces = stamp.space & beforeLineFeed & ~std::uint64_t{1};
    if (spaces == 0) return false;
    const int dateEnd = std::countr_zero(spaces);
    const std::uint64_t after = ~std::uint64_t{0} << (dateEnd + 1);
    std::uint64_t colons = stamp.colon & beforeLineFeed & after;
    if (colons == 0) return false;
    const int hourEnd = std::countr_zero(colons);
    colons &= colons - 1;
    if (colons == 0) return false;
    const int minuteEnd = std::countr_zero(colons);
    const std::uint64_t commas = stamp.comma & beforeLineFeed & (~std::uint64_t{0} << (minuteEnd + 1));
    if (commas == 0) return false;
    const char* const values = p + std::countr_zero(commas) + 1;

    const separators::ValueMasks masks = separators::FindValueSeparators(values);
    if (masks.lineFeed == 0) return false;
    const int lineFeed = std::countr_zero(masks.lineFeed);
    std::uint64_t valueEnds = masks.comma & ((masks.lineFeed & -masks.lineFeed) - 1);
    int start = 0;
    for (int v = 0; v < kVariableCount; ++v) {
        if (valueEnds == 0) return false;
        const int stop = std::countr_zero(valueEnds);
        valueEnds &= valueEnds - 1;
        columns.value[v][i] = ValueOfField(values + start, values + stop);
        start = stop + 1;
    }
    columns.status[i] = StatusOfField(values + start, values + lineFeed);
    StoreTimeStamp(TimeStampFields{p + 1, p + dateEnd, p + hourEnd, p + minuteEnd}, columns, i);
    next = values + lineFeed + 1;
    return true;
}

// Every scan below stops at the line feed that ends the piece, so none of
// them needs a bound of its own: the line feed is the sentinel.
class LineScanner {
public:
    explicit LineScanner(const char* p) : p_(p) {}

    const char* Position() const { return p_; }

    // Moves just past the delimiter; false when the line ends first.
    bool Past(char delimiter) {
        if constexpr (bytewords::kByteWords) {
            for (;;) {
                const std::uint64_t word = bytewords::Load(p_);
                const std::uint64_t stops = bytewords::BytesEqual(word, delimiter) | bytewords::BytesEqual(word, '\n');
                if (stops != 0) {
                    p_ += bytewords::FirstByte(stops);
                    if (*p_ == '\n') return false;
                    ++p_;
                    return true;
                }
                p_ += 8;
            }
        }
        for (;;) {
            const char c = *p_;
            if (c == delimiter) break;
            if (c == '\n') return false;
            ++p_;
        }
        ++p_;
        return true;
    }

    // Moves to the line feed.
    void ToLineFeed() {
        while (*p_ != '\n') ++p_;
    }

private:
    const char* p_;
};

// Any line, one field after the other, each up to its delimiter, as the
// character reader reads them; false when a field would run past the line
// feed.
bool ParseLineInSteps(const char* p, RecordColumns& columns, int i, const char*& next) {
    // The line feed as the leading character: the character reader would
    // go on into the next line.
    if (*p == '\n') return false;
    LineScanner line(p + 1);
    TimeStampFields fields{p + 1, nullptr, nullptr, nullptr};
    if (!line.Past(' ')) return false;
    fields.dateEnd = line.Position() - 1;
    if (!line.Past(':')) return false;
    fields.hourEnd = line.Position() - 1;
    if (!line.Past(':')) return false;
    fields.minuteEnd = line.Position() - 1;
    if (!line.Past(',')) return false;
    for (int v = 0; v < kVariableCount; ++v) {
        const char* const start = line.Position();
        if (!line.Past(',')) return false;
        columns.value[v][i] = ValueOfField(start, line.Position() - 1);
    }
    const char* const status = line.Position();
    line.ToLineFeed();
    columns.status[i] = StatusOfField(status, line.Position());
    StoreTimeStamp(fields, columns, i);
    next = line.Position() + 1;
    return true;
}

}  // namespace

const char* ParseRecordLines(const char* begin, const char* end, RecordColumns& columns) {
    const char* p = begin;
    int count = 0;
    while (p != end && count < RecordColumns::kCapacity) {
        const char* next;
        const bool parsed = (separators::kSeparatorMasks && ParseLineAtOnce(p, columns, count, next)) ||
                            ParseLineInSteps(p, columns, count, next);
        if (!parsed) break;
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
