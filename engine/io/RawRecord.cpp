#include "io/RawRecord.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>

#include "io/PieceOffer.h"
#include "io/NumberText.h"
#include "io/RecordLines.h"

namespace kelvara {

namespace {

constexpr int kStatusMinimum = 0;
constexpr int kStatusMaximum = 13;

// The bytes of one piece of a shared parse: smaller ones cost more in
// hand-offs than they save.
constexpr std::ptrdiff_t kPieceBytes = 1 << 15;

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
    // A field of the time stamp: a comma before the delimiter leaves it to
    // the character reader, which tells that the hour is not there.
    bool CopyField(char delimiter, int width, char* out) {
        const char* start = p_;
        while (p_ < end_ && *p_ != delimiter && *p_ != ',') ++p_;
        if (p_ == end_ || *p_ != delimiter) return false;
        const std::size_t length =
            std::min<std::size_t>(static_cast<std::size_t>(p_ - start), static_cast<std::size_t>(width));
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
        // The line feed at end_ is a non-digit sentinel.
        const detail::PlainDecimal number = detail::ScanPlainDecimal<true>(p_, end_);
        const char* const stop = number.stop;
        if (stop == end_ || *stop != ',' || stop - p_ > kValueWidth || !number.IsExact()) return false;
        value = static_cast<float>(number.Value());
        p_ = stop + 1;
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

}  // namespace

bool ReadTimeStamp(RawStream& stream, RawRecord& record) {
    record.badTime = false;
    if (stream.Get() == RawStream::kEnd) return false;
    char rest[kRestWidth + 1];
    // The date, the hour and the minute must each end within the first
    // field: a time stamp without them would run into the values.
    for (const auto& [delimiter, width, out] :
         {std::tuple{' ', kDateWidth, record.date}, std::tuple{':', kClockWidth, record.hour},
          std::tuple{':', kClockWidth, record.minute}}) {
        const int read = stream.ReadTimeField(delimiter, width, out);
        if (read == RawStream::kNoDelimiter) record.badTime = true;
        if (read < 0) return false;
    }
    if (stream.ReadField(',', kRestWidth, rest) < 0) return false;
    record.key = HalfHourKeyOf(record);
    return true;
}

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
    if (TryBufferedRecord(stream, record, /*withTimeStamp=*/true)) {
        record.key = HalfHourKeyOf(record);
        return true;
    }
    return ReadTimeStamp(stream, record) && ReadValuesAndStatus(stream, record);
}

static_assert(DefaultRecordReader::kMaxPieces == PieceOffer::kMaxPieces);

DefaultRecordReader::DefaultRecordReader() { Columns(0); }

DefaultRecordReader::~DefaultRecordReader() = default;

RecordColumns& DefaultRecordReader::Columns(int piece) {
    if (!pieces_[piece]) {
        pieces_[piece] = std::make_unique<RecordColumns>();
        pieces_[piece]->withTimes = readTimes_;
    }
    return *pieces_[piece];
}

void DefaultRecordReader::ReadTimes() {
    readTimes_ = true;
    for (const auto& piece : pieces_) {
        if (piece) piece->withTimes = true;
    }
}

DefaultRecordReader::Run DefaultRecordReader::ParsedRun(RawStream& stream) {
    const RecordColumns* columns = pieces_[piece_].get();
    const bool current = stream_ == &stream && load_ == stream.LoadCount() && next_ < columns->count &&
                         stream.Position() == base_ + columns->LineBegin(next_);
    if (!current && !NextPiece(stream)) {
        const char* begin;
        const char* end;
        if (!stream.WholeLines(begin, end) && !(stream.FillBehindRest() && stream.WholeLines(begin, end))) {
            return Run{};
        }
        ParseLines(stream, begin, end);
    }
    columns = pieces_[piece_].get();
    return Run{columns, next_, columns->count, base_};
}

// Each piece starts with the line after its share of the bytes and is
// parsed exactly as the whole would be, for no line's parse looks past its
// own line feed.
void DefaultRecordReader::ParseLines(RawStream& stream, const char* begin, const char* end) {
    stream_ = &stream;
    load_ = stream.LoadCount();
    piece_ = 0;
    base_ = begin;
    next_ = 0;
    const std::ptrdiff_t bytes = end - begin;
    const int shares =
        offer_ == nullptr ? 1 : static_cast<int>(std::clamp<std::ptrdiff_t>(bytes / kPieceBytes, 1, kMaxPieces));
    int count = 0;
    starts_[0] = begin;
    for (int share = 1; share < shares; ++share) {
        const char* const from = std::max(begin + bytes * share / shares, starts_[count]);
        const char* const start =
            static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(end - from))) + 1;
        if (start == end) break;
        if (start > starts_[count]) starts_[++count] = start;
    }
    starts_[++count] = end;
    pieceCount_ = count;
    if (count == 1) {
        ParseRecordLines(begin, end, Columns(0));
    } else {
        RecordColumns* columns[kMaxPieces];
        for (int piece = 0; piece < count; ++piece) columns[piece] = &Columns(piece);
        offer_->Offer(starts_, columns, count);
        offer_->ParseUntaken();
        // Rather than wait for the helper, read the next load now.
        if (offer_->BeingHelped()) stream.Prefetch();
        offer_->Finish();
    }
    // The next load's read is the helper's, if it has a moment before the
    // stream needs it: it then leaves the reader's own path.
    if (offer_ != nullptr) offer_->OfferPrefetch(stream);
}

bool DefaultRecordReader::NextPiece(RawStream& stream) {
    if (stream_ != &stream || load_ != stream.LoadCount()) return false;
    const char* const position = stream.Position();
    // Pieces that the character reader went into are of no use.
    int later = piece_ + 1;
    while (later < pieceCount_ && starts_[later] < position) ++later;
    if (later == pieceCount_) return false;
    if (starts_[later] == position) {
        piece_ = later;
    } else {
        piece_ = later - 1;
        ParseRecordLines(position, starts_[later], Columns(piece_));
    }
    base_ = position;
    next_ = 0;
    return true;
}

void DefaultRecordReader::TakeRun(RawStream& stream, int end) {
    if (end == next_) return;
    stream.ConsumeTo(base_ + pieces_[piece_]->lineEnd[end - 1]);
    next_ = end;
}

void DefaultRecordReader::Materialize(int i, RawRecord& record) const {
    TakeRecord(*pieces_[piece_], i, base_, record);
}

bool DefaultRecordReader::TakeParsed(RawStream& stream, RawRecord& record) {
    const Run run = ParsedRun(stream);
    if (run.first == run.end) return false;
    Materialize(run.first, record);
    TakeRun(stream, run.first + 1);
    return true;
}

bool DefaultRecordReader::ReadWhole(RawStream& stream, RawRecord& record) {
    wholeRead_ = false;
    return TakeParsed(stream, record) || ReadWholeRecord(stream, record);
}

bool DefaultRecordReader::ReadTimeStamp(RawStream& stream, RawRecord& record) {
    wholeRead_ = TakeParsed(stream, record);
    return wholeRead_ || kelvara::ReadTimeStamp(stream, record);
}

bool DefaultRecordReader::ReadRest(RawStream& stream, RawRecord& record) {
    if (wholeRead_) {
        wholeRead_ = false;
        return true;
    }
    return ReadValuesAndStatus(stream, record);
}

HalfHourKey HalfHourKeyOf(const RawRecord& record) {
    return HalfHourKey{AtoiText(record.hour), HalfHourOf(AtoiText(record.minute))};
}

bool HasValidStatus(const RawRecord& record) {
    return record.status >= kStatusMinimum && record.status <= kStatusMaximum;
}

}  // namespace kelvara
