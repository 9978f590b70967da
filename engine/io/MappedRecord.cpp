#include "io/MappedRecord.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "io/LineFields.h"
#include "io/NumberText.h"
#include "io/StatusRule.h"

namespace kelvara {

namespace {

using Field = LineField;

// The field [p, end) up to the delimiter, kept to width characters, into
// out; p moves past the delimiter. False when the field has none.
bool CopyUpTo(const char*& p, const char* end, char delimiter, int width, char* out) {
    const char* stop = std::find(p, end, delimiter);
    const auto length = std::min<std::size_t>(static_cast<std::size_t>(stop - p), static_cast<std::size_t>(width));
    std::memcpy(out, p, length);
    out[length] = '\0';
    p = stop == end ? end : stop + 1;
    return stop != end;
}

// As the default layout reads its time stamp: one character skipped (the
// quote), the date to the first blank, the hour and the minute each to the
// next colon; the rest is not needed. A field without them has no hour.
void ReadTime(Field field, RawRecord& record) {
    const char* p = field.begin;
    if (p < field.end) ++p;
    const bool found = CopyUpTo(p, field.end, ' ', kDateWidth, record.date) &&
                       CopyUpTo(p, field.end, ':', kClockWidth, record.hour) &&
                       CopyUpTo(p, field.end, ':', kClockWidth, record.minute);
    record.badTime = !found;
    record.key = HalfHourKeyOf(record);
}

std::string_view Cut(Field field, int width) {
    const auto length = static_cast<std::size_t>(field.end - field.begin);
    return std::string_view(field.begin, std::min(length, static_cast<std::size_t>(width)));
}

// atoi's reading, but a field that holds no number (a logger's NAN) is no
// status at all rather than 0.
std::int32_t ReadStatus(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size() || !detail::IsDecimalDigit(text[i])) return kNoStatus;
    return AtoiText(text);
}

}  // namespace

bool ParseMappedLine(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record,
                     LineField* timeField) {
    if (end > begin && end[-1] == '\r') --end;
    LineField fields[kMaxMappedColumns];
    const int count = SplitLineFields(begin, end, fields, layout.lastColumn + 1);
    if (count <= layout.lastColumn) return false;
    ReadTime(fields[layout.column[kMapTime]], record);
    if (timeField != nullptr) *timeField = fields[layout.column[kMapTime]];
    for (int v = 0; v < kVariableCount; ++v) {
        const double value = AtofText(Cut(fields[layout.column[MapTargetOfVariable(v)]], kValueWidth));
        record.value[v] = static_cast<float>(Convert(layout.conversion[v], value));
    }
    record.status = ReadStatus(Cut(fields[layout.column[kMapStatus]], kStatusWidth));
    return true;
}

MappedRecordReader::MappedRecordReader() = default;

bool MappedRecordReader::Parse(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record) {
    LineField time{};
    if (!ParseMappedLine(begin, end, layout, record, &time)) return false;
    if (record.badTime) badTimeText_.assign(time.begin, time.end);
    return true;
}

bool MappedRecordReader::Read(RawStream& stream, const ColumnLayout& layout, RawRecord& record) {
    for (;;) {
        const char* begin;
        const char* lineFeed;
        if (stream.PeekLine(begin, lineFeed)) {
            stream.ConsumeTo(lineFeed + 1);
            if (Parse(begin, lineFeed, layout, record)) return true;
            continue;
        }
        // A line that spans two buffer loads, of any length.
        line_.clear();
        if (!stream.AppendLine(line_)) return false;
        if (Parse(line_.data(), line_.data() + line_.size(), layout, record)) return true;
    }
}

}  // namespace kelvara
