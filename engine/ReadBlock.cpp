#include <charconv>
#include <cstring>
#include <string_view>

#include "NumberText.h"
#include "RawReader.h"

namespace kelvara {

namespace {

constexpr int kStatusMinimum = 0;
constexpr int kStatusMaximum = 13;

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
