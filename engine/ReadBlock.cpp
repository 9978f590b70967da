#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "NumberText.h"
#include "RawReader.h"

namespace kelvara {

namespace {

constexpr int kStatusMinimum = 0;
constexpr int kStatusMaximum = 13;

// Fast path for a record whose line is already in the buffer: the same
// fields, widths and conversions, read straight from the buffer. A line that
// lacks a delimiter (its fields would run across the line end) is left to
// the character-by-character reader.
class BufferedLine {
public:
    BufferedLine(const char* begin, const char* lineFeed) : p_(begin), end_(lineFeed) {}

    bool SkipLeadingCharacter() {
        if (p_ == end_) return false;
        ++p_;
        return true;
    }
    // Copies the field up to the delimiter (at most width characters).
    bool CopyField(char delimiter, int width, char* out) {
        const char* start = p_;
        if (!Find(delimiter)) return false;
        const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(p_ - start), static_cast<std::size_t>(width));
        std::memcpy(out, start, length);
        out[length] = '\0';
        ++p_;
        return true;
    }
    bool SkipField(char delimiter) {
        if (!Find(delimiter)) return false;
        ++p_;
        return true;
    }
    bool ReadValue(float& value) {
        if (ReadPlainValue(value)) return true;
        const char* start = p_;
        if (!Find(',')) return false;
        value = AtofToFloat(FieldText(start, p_, kValueWidth));
        ++p_;
        return true;
    }
    // The status runs to the line feed.
    std::int32_t ReadStatus() { return AtoiText(FieldText(p_, end_, kStatusWidth)); }
    const char* LineFeed() const { return end_; }

private:
    // The usual field, [-]digits[.digits] right up to its comma, converted in
    // the same pass that finds the comma. Gives exactly what the general
    // reading gives; anything else is left to it.
    bool ReadPlainValue(float& value) {
        const char* q = p_;
        const bool negative = q < end_ && *q == '-';
        if (negative) ++q;
        std::uint64_t mantissa = 0;
        const char* const integer = q;
        // The line feed at end_ is a non-digit sentinel: no bounds check needed.
        while (detail::IsDecimalDigit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
        const auto integerDigits = q - integer;
        std::ptrdiff_t fractionDigits = 0;
        if (q < end_ && *q == '.') {
            const char* const fraction = ++q;
            while (detail::IsDecimalDigit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
            fractionDigits = q - fraction;
        }
        if (q == end_ || *q != ',' || q - p_ > kValueWidth || integerDigits + fractionDigits == 0 ||
            mantissa > (std::uint64_t{1} << 53)) {
            return false;
        }
        const double magnitude = static_cast<double>(mantissa) / detail::kPowersOfTen[fractionDigits];
        value = static_cast<float>(negative ? -magnitude : magnitude);
        p_ = q + 1;
        return true;
    }

    bool Find(char delimiter) {
        while (p_ < end_ && *p_ != delimiter) ++p_;
        return p_ < end_;
    }
    static std::string_view FieldText(const char* start, const char* stop, int width) {
        const auto length = static_cast<std::size_t>(stop - start);
        return std::string_view(start, std::min(length, static_cast<std::size_t>(width)));
    }

    const char* p_;
    const char* const end_;
};

bool ParseTimeStamp(BufferedLine& line, RawRecord& record) {
    return line.SkipLeadingCharacter() && line.CopyField(' ', kDateWidth, record.date) &&
           line.CopyField(':', kClockWidth, record.hour) && line.CopyField(':', kClockWidth, record.minute) &&
           line.SkipField(',');
}

bool ParseValuesAndStatus(BufferedLine& line, RawRecord& record) {
    for (float& value : record.value) {
        if (!line.ReadValue(value)) return false;
    }
    record.status = line.ReadStatus();
    return true;
}

// Reads the record from the buffer when its whole line is there. Returns
// false, having consumed nothing, when the slow reader must take it.
bool TryBufferedRecord(RawStream& stream, RawRecord& record, bool withTimeStamp) {
    const char* begin;
    const char* lineFeed;
    if (!stream.PeekLine(begin, lineFeed)) return false;
    BufferedLine line(begin, lineFeed);
    // A record left half-parsed here is read again from the start by the
    // character reader, which overwrites every field it reads.
    if (withTimeStamp && !ParseTimeStamp(line, record)) return false;
    if (!ParseValuesAndStatus(line, record)) return false;
    stream.ConsumeTo(lineFeed + 1);
    return true;
}

// Leading character, date, hour, minute and the rest of the time stamp.
// False when the file ends before the time stamp is complete.
bool ReadTimeStamp(RawStream& stream, RawRecord& record) {
    char rest[kRestWidth + 1];
    return stream.Get() != RawStream::kEnd && stream.ReadField(' ', kDateWidth, record.date) >= 0 &&
           stream.ReadField(':', kClockWidth, record.hour) >= 0 &&
           stream.ReadField(':', kClockWidth, record.minute) >= 0 &&
           stream.ReadField(',', kRestWidth, rest) >= 0;
}

// The seven values and the status. False when the file ends before the
// status has at least one character.
bool ReadValuesAndStatus(RawStream& stream, RawRecord& record) {
    if (TryBufferedRecord(stream, record, /*withTimeStamp=*/false)) return true;
    char text[kValueWidth + 1];
    for (float& value : record.value) {
        const int length = stream.ReadField(',', kValueWidth, text);
        if (length < 0) return false;
        value = AtofToFloat(std::string_view(text, static_cast<std::size_t>(length)));
    }
    const int length = stream.ReadField('\n', kStatusWidth, text, /*stopAtEnd=*/true);
    if (length < 0) return false;
    record.status = AtoiText(std::string_view(text, static_cast<std::size_t>(length)));
    return true;
}

bool ReadWholeRecord(RawStream& stream, RawRecord& record) {
    if (TryBufferedRecord(stream, record, /*withTimeStamp=*/true)) return true;
    return ReadTimeStamp(stream, record) && ReadValuesAndStatus(stream, record);
}

bool HasValidStatus(const RawRecord& record) {
    return record.status >= kStatusMinimum && record.status <= kStatusMaximum;
}

// 0..29 -> 0, 30..59 -> 30; anything else stays as it is.
int HalfHourOf(int minute) {
    if (minute >= 0 && minute <= 29) return 0;
    if (minute >= 30 && minute <= 59) return 30;
    return minute;
}

struct BlockKey {
    int hour;
    int minute;
    bool operator==(const BlockKey&) const = default;
};

BlockKey KeyOf(const RawRecord& record) {
    return BlockKey{AtoiText(record.hour), HalfHourOf(AtoiText(record.minute))};
}

void AppendSample(BlockBuffer& block, const RawRecord& record, int& count) {
    for (int v = 0; v < kVariableCount; ++v) block.sample[v][count] = record.value[v];
    ++count;
}

// The end of the half hour, without leading zeros; the date is not advanced.
void FormatLabel(BlockKey key, char* label) {
    int minute = key.minute + 30;
    int hour = key.hour;
    if (minute == 60) {
        minute = 0;
        hour += 1;
    }
    if (hour > 23) hour -= 24;
    // Both numbers come from texts of at most two digits, so this fits.
    char* end = std::to_chars(label, label + 5, hour).ptr;
    *end++ = ':';
    end = std::to_chars(end, end + 5, minute).ptr;
    *end = '\0';
}

// Completes the block left open at the end of the first file from the start
// of the second; the record that belongs elsewhere is dropped.
void ContinueFromSecondFile(ReaderState& reader, BlockBuffer& block, BlockKey key, int& count) {
    if (!reader.second.IsOpen()) return;
    for (int pass = count; pass < kBlockCapacity; ++pass) {
        if (!ReadWholeRecord(reader.second, reader.record)) return;
        if (!HasValidStatus(reader.record)) continue;
        if (!(KeyOf(reader.record) == key)) return;
        AppendSample(block, reader.record, count);
    }
}

}  // namespace

void SkipHeaderLines(RawStream& stream) {
    for (int line = 0; line < kHeaderLineCount; ++line) stream.SkipLine();
}

int ReadBlock(ReaderState& reader, BlockBuffer& block) {
    RawStream& first = reader.first;
    if (first.AtEnd()) {
        reader.endOfFirstFile = true;
        return 1;
    }
    bool timeStampRead = false;
    if (!reader.carry) {
        if (!ReadTimeStamp(first, reader.record)) {
            reader.endOfFirstFile = true;
            return 1;
        }
        timeStampRead = true;
    }
    const BlockKey key = KeyOf(reader.record);
    std::memcpy(reader.BlockDate, reader.record.date, sizeof reader.BlockDate);

    int count = 0;
    for (int pass = 0; pass < kBlockCapacity; ++pass) {
        if (first.AtEnd()) {
            reader.endOfFirstFile = true;
            break;
        }
        if (!reader.carry) {
            const bool complete = timeStampRead ? ReadValuesAndStatus(first, reader.record)
                                                : ReadWholeRecord(first, reader.record);
            if (!complete) {
                reader.endOfFirstFile = true;
                break;
            }
        }
        reader.carry = false;
        timeStampRead = false;
        if (!HasValidStatus(reader.record)) continue;
        if (!(KeyOf(reader.record) == key)) {
            reader.carry = true;
            break;
        }
        AppendSample(block, reader.record, count);
    }

    if (first.AtEnd() && !reader.noSecondFile) ContinueFromSecondFile(reader, block, key, count);

    FormatLabel(key, reader.BlockLabel);
    block.count = count;
    return count;
}

}  // namespace kelvara
