#include "io/MappedRecord.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "io/LineFields.h"
#include "io/NumberText.h"
#include "io/StatusRule.h"

namespace kelvara {

namespace {

// A longer line is cut; its columns beyond are lost.
constexpr int kMaxMappedLine = 1 << 16;

using Field = LineField;

// The field [p, end) up to the delimiter, kept to width characters, into
// out; p moves past the delimiter, or to the end of the field.
void CopyUpTo(const char*& p, const char* end, char delimiter, int width, char* out) {
    const char* stop = std::find(p, end, delimiter);
    const auto length = std::min<std::size_t>(static_cast<std::size_t>(stop - p), static_cast<std::size_t>(width));
    std::memcpy(out, p, length);
    out[length] = '\0';
    p = stop == end ? end : stop + 1;
}

// As the default layout reads its time stamp: one character skipped (the
// quote), the date to the first blank, the hour and the minute each to the
// next colon; the rest is not needed.
void ReadTime(Field field, RawRecord& record) {
    const char* p = field.begin;
    if (p < field.end) ++p;
    CopyUpTo(p, field.end, ' ', kDateWidth, record.date);
    CopyUpTo(p, field.end, ':', kClockWidth, record.hour);
    CopyUpTo(p, field.end, ':', kClockWidth, record.minute);
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

bool ParseMappedLine(const char* begin, const char* end, const ColumnLayout& layout, RawRecord& record) {
    if (end > begin && end[-1] == '\r') --end;
    LineField fields[kMaxMappedColumns];
    const int count = SplitLineFields(begin, end, fields, layout.lastColumn + 1);
    if (count <= layout.lastColumn) return false;
    ReadTime(fields[layout.column[kMapTime]], record);
    for (int v = 0; v < kVariableCount; ++v) {
        const double value = AtofText(Cut(fields[layout.column[MapTargetOfVariable(v)]], kValueWidth));
        record.value[v] = static_cast<float>(Convert(layout.conversion[v], value));
    }
    record.status = ReadStatus(Cut(fields[layout.column[kMapStatus]], kStatusWidth));
    return true;
}

MappedRecordReader::MappedRecordReader() : line_(new char[kMaxMappedLine + 1]) {}

bool MappedRecordReader::Read(RawStream& stream, const ColumnLayout& layout, RawRecord& record) {
    for (;;) {
        const char* begin;
        const char* lineFeed;
        if (stream.PeekLine(begin, lineFeed)) {
            stream.ConsumeTo(lineFeed + 1);
            if (ParseMappedLine(begin, lineFeed, layout, record)) return true;
            continue;
        }
        const int length = stream.ReadField('\n', kMaxMappedLine, line_.get(), /*stopAtEnd=*/true);
        if (length < 0) return false;
        if (ParseMappedLine(line_.get(), line_.get() + length, layout, record)) return true;
    }
}

}  // namespace kelvara
