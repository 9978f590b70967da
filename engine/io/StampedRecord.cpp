#include "io/StampedRecord.h"

#include <algorithm>

#include "io/LineFields.h"
#include "io/NumberText.h"
#include "io/RawBytes.h"
#include "io/RecordLines.h"
#include "io/StatusRule.h"

namespace kelvara {

namespace {

// The default layout's fields: the time stamp, seven values, the status.
constexpr int kDefaultFields = 2 + kVariableCount;

std::string_view Cut(LineField field, int width) {
    const auto length = static_cast<std::size_t>(field.end - field.begin);
    return std::string_view(field.begin, std::min(length, static_cast<std::size_t>(width)));
}

// atoi's reading, but a field that holds no number (a logger's NAN) is no
// status at all rather than 0, as the column maps read it.
std::int32_t MappedStatus(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size() || !detail::IsDecimalDigit(text[i])) return kNoStatus;
    return AtoiText(text);
}

bool ReadTime(LineField field, StampedRecord& record, std::string& timeText) {
    timeText.assign(field.begin, field.end);
    const auto time = ParseTimeStamp(timeText);
    if (!time) return false;
    record.time = *time;
    return true;
}

// The time field of a line of the default layout: up to its first comma.
std::string_view DefaultTimeField(const char* begin, const char* lineFeed) {
    const char* comma = std::find(begin, lineFeed, ',');
    return std::string_view(begin, static_cast<std::size_t>(comma - begin));
}

}  // namespace

LineRead ReadStampedLine(const char* begin, const char* end, const ColumnLayout& layout, StampedRecord& record,
                         std::string& timeText) {
    if (end > begin && end[-1] == '\r') --end;
    LineField fields[kMaxMappedColumns];
    const int needed = layout.mapped ? layout.lastColumn + 1 : kDefaultFields;
    if (SplitLineFields(begin, end, fields, needed) < needed) return LineRead::Short;
    if (!layout.mapped) {
        if (!ReadTime(fields[0], record, timeText)) return LineRead::BadTime;
        for (int v = 0; v < kVariableCount; ++v) record.value[v] = AtofToFloat(Cut(fields[1 + v], kValueWidth));
        // The status runs to the line's end, as the default layout reads it.
        const LineField rest{fields[kDefaultFields - 1].begin, end};
        record.status = AtoiText(Cut(rest, kStatusWidth));
        return LineRead::Record;
    }
    if (!ReadTime(fields[layout.column[kMapTime]], record, timeText)) return LineRead::BadTime;
    for (int v = 0; v < kVariableCount; ++v) {
        const double value = AtofText(Cut(fields[layout.column[MapTargetOfVariable(v)]], kValueWidth));
        record.value[v] = static_cast<float>(Convert(layout.conversion[v], value));
    }
    record.status = MappedStatus(Cut(fields[layout.column[kMapStatus]], kStatusWidth));
    return LineRead::Record;
}

// The time stamps are read with the lines, on whichever thread parses them.
StampedRecordReader::StampedRecordReader() { parsed_.ReadTimes(); }

void StampedRecordReader::Restart() {
    line_ = kHeaderLineCount;
    shortLines_ = 0;
}

// A record of the lines parsed ahead: its values as the one-pass parse read
// them, its time from its line's first field.
bool StampedRecordReader::TakeParsed(RawStream& stream, StampedRecord& record, Next& next) {
    const DefaultRecordReader::Run run = parsed_.ParsedRun(stream);
    if (run.first == run.end) return false;
    const RecordColumns& columns = *run.columns;
    const int i = run.first;
    const char* const begin = run.piece + columns.LineBegin(i);
    const char* const lineFeed = run.piece + columns.lineEnd[i] - 1;
    ++line_;
    parsed_.TakeRun(stream, i + 1);
    if (columns.timeRead[i] == 0) {
        timeText_.assign(DefaultTimeField(begin, lineFeed));
        next = Next::BadTime;
        return true;
    }
    record.time = columns.time[i];
    for (int v = 0; v < kVariableCount; ++v) record.value[v] = columns.value[v][i];
    record.status = columns.status[i];
    next = Next::Record;
    return true;
}

DefaultRecordReader::Run StampedRecordReader::ParsedRun(RawStream& stream, const ColumnLayout& layout) {
    if (layout.mapped) return DefaultRecordReader::Run{};
    return parsed_.ParsedRun(stream);
}

void StampedRecordReader::TakeRun(RawStream& stream, const DefaultRecordReader::Run& run, int end) {
    line_ += end - run.first;
    parsed_.TakeRun(stream, end);
}

// The next line, [begin, end) without its line feed; false at the end.
bool StampedRecordReader::NextLine(RawStream& stream, const char*& begin, const char*& end) {
    const char* lineFeed;
    if (stream.PeekLine(begin, lineFeed) || (stream.FillBehindRest() && stream.PeekLine(begin, lineFeed))) {
        stream.ConsumeTo(lineFeed + 1);
        end = lineFeed;
        return true;
    }
    // Longer than the buffer, or the last line without its line feed: read
    // whole, never cut.
    longLine_.clear();
    for (int c = stream.Get(); c != RawStream::kEnd && c != '\n'; c = stream.Get()) {
        longLine_.push_back(static_cast<char>(c));
    }
    if (longLine_.empty() && stream.AtEnd()) return false;
    begin = longLine_.data();
    end = begin + longLine_.size();
    return true;
}

StampedRecordReader::Next StampedRecordReader::Read(RawStream& stream, const ColumnLayout& layout,
                                                    StampedRecord& record) {
    Next next = Next::End;
    if (!layout.mapped && TakeParsed(stream, record, next)) return next;
    for (;;) {
        const char* begin;
        const char* end;
        if (!NextLine(stream, begin, end)) return Next::End;
        ++line_;
        switch (ReadStampedLine(begin, end, layout, record, timeText_)) {
            case LineRead::Record:
                return Next::Record;
            case LineRead::BadTime:
                return Next::BadTime;
            case LineRead::Short:
                ++shortLines_;
                break;
        }
    }
}

FirstRecords ReadFirstRecords(const std::filesystem::path& file, const ColumnLayout& layout, std::size_t count) {
    FirstRecords first;
    RawStream stream;
    if (!stream.Open(file)) {
        first.status = FirstRecords::Status::CannotRead;
        return first;
    }
    for (int line = 0; line < kHeaderLineCount; ++line) stream.SkipLine();
    StampedRecordReader reader;
    StampedRecord record;
    while (first.times.size() < count) {
        const StampedRecordReader::Next next = reader.Read(stream, layout, record);
        if (stream.Failed()) {
            first.status = FirstRecords::Status::CannotRead;
            break;
        }
        if (next == StampedRecordReader::Next::End) break;
        if (next == StampedRecordReader::Next::BadTime) {
            first.status = FirstRecords::Status::BadTime;
            first.badLine = reader.Line();
            first.badText = reader.TimeText();
            break;
        }
        first.times.push_back(record.time);
    }
    return first;
}

std::optional<TimePoint> LatestGoodTimeNearEnd(const std::filesystem::path& file, const ColumnLayout& layout,
                                               const StatusRule& rule, std::int64_t tailBytes) {
    std::string tail;
    bool fromStart = true;
    if (!ReadRawTail(file, tailBytes, tail, fromStart)) return std::nullopt;
    // From the file's start the header lines go; elsewhere the first line,
    // which may be cut.
    const int skipped = fromStart ? kHeaderLineCount : 1;
    std::size_t at = 0;
    for (int line = 0; line < skipped && at < tail.size(); ++line) {
        const auto lineFeed = tail.find('\n', at);
        at = lineFeed == std::string::npos ? tail.size() : lineFeed + 1;
    }
    std::optional<TimePoint> latest;
    StampedRecord record;
    std::string timeText;
    while (at < tail.size()) {
        const auto lineFeed = tail.find('\n', at);
        const std::size_t end = lineFeed == std::string::npos ? tail.size() : lineFeed;
        const char* text = tail.data();
        if (ReadStampedLine(text + at, text + end, layout, record, timeText) == LineRead::Record &&
            rule.Keeps(record.status) && (!latest || record.time > *latest)) {
            latest = record.time;
        }
        at = end + 1;
    }
    return latest;
}

}  // namespace kelvara
