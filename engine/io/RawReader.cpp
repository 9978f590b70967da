#include "io/RawReader.h"

#include <algorithm>
#include <cstring>

#include "io/BlockTime.h"
#include "io/LineAtOffset.h"
#include "io/RecordLines.h"

namespace kelvara {

namespace {

using BlockKey = RawReader::BlockKey;

BlockKey KeyOf(const RawRecord& record) { return record.key; }

void AppendSample(BlockBuffer& block, const RawRecord& record, int& count) {
    for (int v = 0; v < kVariableCount; ++v) block.sample[v][count] = record.value[v];
    ++count;
}

// The raw format's own layout: the time stamp read apart from the rest of
// the record, as the block's first record needs.
struct DefaultRecords {
    static constexpr bool kFirstRecordWhole = false;
    static constexpr bool kParsedRuns = true;
    RawStream& stream;
    DefaultRecordReader& reader;
    bool TimeStamp(RawRecord& record) { return reader.ReadTimeStamp(stream, record); }
    bool Rest(RawRecord& record) { return reader.ReadRest(stream, record); }
    bool Whole(RawRecord& record) { return reader.ReadWhole(stream, record); }
};

// A mapped file's record is read whole, with its time stamp.
struct MappedRecords {
    static constexpr bool kFirstRecordWhole = true;
    static constexpr bool kParsedRuns = false;
    RawStream& stream;
    const ColumnLayout& layout;
    MappedRecordReader& reader;
    bool TimeStamp(RawRecord& record) { return reader.Read(stream, layout, record); }
    bool Rest(RawRecord&) { return true; }
    bool Whole(RawRecord& record) { return reader.Read(stream, layout, record); }
};

}  // namespace

bool RawReader::OpenFirst(const std::filesystem::path& file, const ColumnLayout& layout) {
    carry_ = false;
    firstFileEnded_ = false;
    badStamp_.reset();
    record_.badTime = false;
    firstLayout_ = layout;
    firstPath_ = file;
    if (!first_.Open(file)) return false;
    SkipHeaderLines(first_);
    return true;
}

bool RawReader::OpenSecond(const std::filesystem::path& file, const ColumnLayout& layout) {
    secondLayout_ = layout;
    secondPath_ = file;
    if (!second_.Open(file)) return false;
    SkipHeaderLines(second_);
    return true;
}

void RawReader::Close() {
    first_.Close();
    second_.Close();
}

bool RawReader::Keeps(const RawRecord& record) {
    ++counts_.records;
    if (statusRule_.Keeps(record.status)) return true;
    ++counts_.badStatus;
    return false;
}

void RawReader::SkipHeaderLines(RawStream& stream) {
    for (int line = 0; line < kHeaderLineCount; ++line) stream.SkipLine();
}

int RawReader::ReadBlock(BlockBuffer& block) {
    if (firstLayout_.mapped) return ReadBlockWith(MappedRecords{first_, firstLayout_, mapped_}, block);
    return ReadBlockWith(DefaultRecords{first_, firstRecords_}, block);
}

template <class Records>
int RawReader::ReadBlockWith(Records records, BlockBuffer& block) {
    // Nothing left to read: the 1 the callers know as the end, on an empty block.
    if (first_.AtEnd()) {
        firstFileEnded_ = true;
        block.count = 0;
        return 1;
    }
    bool timeStampRead = false;
    if (!carry_) {
        const bool read = records.TimeStamp(record_);
        if (record_.badTime) return StopOnTimeStamp(0, block);
        if (!read) {
            firstFileEnded_ = true;
            block.count = 0;
            return 1;
        }
        timeStampRead = true;
    }
    const BlockKey key = KeyOf(record_);
    std::memcpy(blockDate_, record_.date, sizeof blockDate_);

    int count = 0;
    for (int pass = 0; pass < kBlockCapacity;) {
        if constexpr (Records::kParsedRuns) {
            if (!carry_ && !timeStampRead && TakeParsedRecords(key, block, count, pass)) {
                if (carry_) break;
                continue;
            }
        }
        ++pass;
        // A mapped first record was read whole, perhaps up to the file's end.
        if (first_.AtEnd() && !(Records::kFirstRecordWhole && timeStampRead)) {
            firstFileEnded_ = true;
            break;
        }
        if (!carry_) {
            const bool complete = timeStampRead ? records.Rest(record_) : records.Whole(record_);
            if (record_.badTime) return StopOnTimeStamp(0, block);
            if (!complete) {
                firstFileEnded_ = true;
                break;
            }
        }
        // A carried record was counted and kept when it was read.
        const bool fresh = !carry_;
        carry_ = false;
        timeStampRead = false;
        if (fresh && !Keeps(record_)) continue;
        if (!(KeyOf(record_) == key)) {
            carry_ = true;
            break;
        }
        AppendSample(block, record_, count);
    }

    if (first_.AtEnd() && !ContinueFromSecondFile(block, key, count)) return StopOnTimeStamp(1, block);

    FormatClockLabel(key, blockLabel_);
    blockKey_ = key;
    block.count = count;
    return count;
}

// The same passes as the record loop makes one by one: a record that is
// parsed ahead was read in full, from the buffer, so the file's end is not
// met before it.
bool RawReader::TakeParsedRecords(BlockKey key, BlockBuffer& block, int& count, int& pass) {
    const DefaultRecordReader::Run run = firstRecords_.ParsedRun(first_);
    if (run.first == run.end) return false;
    const RecordColumns& columns = *run.columns;
    int i = run.first;
    while (i < run.end && pass < kBlockCapacity) {
        // The stretch of records kept in this half hour, copied a variable at a time.
        const int limit = std::min(run.end, i + (kBlockCapacity - pass));
        int stretchEnd = i;
        while (stretchEnd < limit && statusRule_.Keeps(columns.status[stretchEnd]) && columns.key[stretchEnd] == key) {
            ++stretchEnd;
        }
        const int length = stretchEnd - i;
        for (int v = 0; v < kVariableCount; ++v) {
            std::memcpy(&block.sample[v][count], &columns.value[v][i],
                        static_cast<std::size_t>(length) * sizeof(float));
        }
        count += length;
        pass += length;
        counts_.records += length;
        i = stretchEnd;
        if (i == limit) continue;
        // A record dropped for its status, or the first of the next half hour.
        ++pass;
        ++counts_.records;
        if (!statusRule_.Keeps(columns.status[i])) {
            ++counts_.badStatus;
            ++i;
            continue;
        }
        firstRecords_.Materialize(i, record_);
        firstRecords_.TakeRun(first_, i + 1);
        carry_ = true;
        return true;
    }
    firstRecords_.TakeRun(first_, i);
    return true;
}

bool RawReader::ReadSecondRecord() {
    if (secondLayout_.mapped) return mapped_.Read(second_, secondLayout_, record_);
    return secondRecords_.ReadWhole(second_, record_);
}

// Completes the block left open at the end of the first file from the start
// of the second; the record that belongs elsewhere is dropped.
bool RawReader::ContinueFromSecondFile(BlockBuffer& block, BlockKey key, int& count) {
    if (!second_.IsOpen()) return true;
    for (int pass = count; pass < kBlockCapacity; ++pass) {
        const bool read = ReadSecondRecord();
        if (record_.badTime) return false;
        if (!read) return true;
        if (!Keeps(record_)) continue;
        if (!(KeyOf(record_) == key)) return true;
        AppendSample(block, record_, count);
    }
    return true;
}

int RawReader::StopOnTimeStamp(std::size_t file, BlockBuffer& block) {
    const RawStream& stream = file == 0 ? first_ : second_;
    const bool mapped = (file == 0 ? firstLayout_ : secondLayout_).mapped;
    // The default layout stopped at the comma inside the record's line; a
    // mapped record was read to its end, line feed included.
    const std::int64_t inLine = stream.Consumed() - (mapped ? 1 : 0);
    const LineAtOffset line = FindLineAtOffset(file == 0 ? firstPath_ : secondPath_, inLine);
    const std::string text = mapped ? mapped_.BadTimeText() : line.text.substr(0, line.text.find(','));
    badStamp_ = BadTimeStamp{file, line.number, text, true};
    firstFileEnded_ = true;
    carry_ = false;
    block.count = 0;
    return 1;
}

}  // namespace kelvara
