#include "io/StreamReader.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>
#include <utility>

#include "io/RawBytes.h"
#include "io/RecordLines.h"

namespace kelvara {

namespace {

std::int64_t SizeOf(const std::filesystem::path& file) { return RawContentSize(file); }

// HalfHourOf(time) == HalfHourOf(start), for the start of a half hour,
// without a division a record.
bool InHalfHour(TimePoint time, TimePoint start) {
    return time >= start && static_cast<std::uint64_t>(time) - static_cast<std::uint64_t>(start) <
                                static_cast<std::uint64_t>(kHalfHourNanoseconds);
}

}  // namespace

void StreamReader::Start(std::vector<std::filesystem::path> files, std::vector<ColumnLayout> layouts,
                         const StreamShare& share) {
    Close();
    files_ = std::move(files);
    layouts_ = std::move(layouts);
    layouts_.resize(files_.size());
    share_ = share;
    share_.ownFiles = std::min(share_.ownFiles, files_.size());
    earlierDropped_.assign(share_.ownFiles, 0);
    lastKept_ = share_.keptBefore;
    for (std::size_t i = 0; i < share_.ownFiles; ++i) totalSize_ += SizeOf(files_[i]);
}

void StreamReader::Close() {
    stream_.Close();
    files_.clear();
    layouts_.clear();
    share_ = StreamShare{};
    current_ = 0;
    opened_ = false;
    carry_ = false;
    started_ = false;
    finished_ = false;
    lastKept_.reset();
    latestGood_.reset();
    failure_ = Failure::None;
    failureError_ = 0;
    badStamp_.reset();
    totalSize_ = 0;
    finishedBytes_ = 0;
    earlierDropped_.clear();
}

bool StreamReader::Fail(Failure failure, int error) {
    failure_ = failure;
    failureError_ = error;
    return false;
}

bool StreamReader::OpenCurrent() {
    opened_ = true;
    if (!stream_.Open(files_[current_])) return Fail(Failure::Open, 0);
    for (int line = 0; line < kHeaderLineCount; ++line) stream_.SkipLine();
    records_.Restart();
    return !stream_.Failed() || Fail(Failure::Read, stream_.ReadError());
}

bool StreamReader::NextRecord() {
    while (current_ < files_.size()) {
        if (!opened_ && !OpenCurrent()) return false;
        const StampedRecordReader::Next next = records_.Read(stream_, layouts_[current_], record_);
        // A failing read may still complete a record from what came before
        // it; the data after it is unknown either way.
        if (stream_.Failed()) return Fail(Failure::Read, stream_.ReadError());
        if (next == StampedRecordReader::Next::Record) {
            if (Own()) ++counts_.records;
            return true;
        }
        if (next == StampedRecordReader::Next::BadTime) {
            badStamp_ = BadTimeStamp{current_, records_.Line(), records_.TimeText()};
            return Fail(Failure::TimeStamp, 0);
        }
        if (Own()) finishedBytes_ += stream_.Consumed();
        stream_.Close();
        opened_ = false;
        ++current_;
    }
    return false;
}

// The latest good time takes every good record of the own files, dropped
// or not: the reader after this one must drop against what the whole
// stream before it kept, which this is (each good record is kept exactly
// when it is no earlier than every good record before it).
StreamReader::Kind StreamReader::Classify() {
    const bool good = statusRule_.Keeps(record_.status);
    if (good && Own() && (!latestGood_ || record_.time > *latestGood_)) latestGood_ = record_.time;
    if (lastKept_ && record_.time < *lastKept_) {
        if (Own()) ++earlierDropped_[current_];
        return Kind::Earlier;
    }
    if (!good) {
        if (Own()) ++counts_.badStatus;
        return Kind::BadStatus;
    }
    lastKept_ = record_.time;
    return Kind::Good;
}

bool StreamReader::SkipTheHalfHourBefore() {
    const std::int64_t before = HalfHourOf(*share_.keptBefore);
    for (;;) {
        if (!NextRecord()) return false;
        if (!Own()) {
            finished_ = true;
            return false;
        }
        if (Classify() == Kind::Good && HalfHourOf(record_.time) != before) {
            carry_ = true;
            return true;
        }
    }
}

bool StreamReader::ReadBlock(StandardBlock& block) {
    block.Clear();
    if (Failed() || finished_) return false;
    if (!started_) {
        started_ = true;
        if (share_.keptBefore && !SkipTheHalfHourBefore()) return false;
    }
    Kind kind = Kind::Good;
    if (carry_) {
        carry_ = false;
    } else {
        do {
            if (!NextRecord()) return false;
            if (!Own()) {
                finished_ = true;
                return false;
            }
            kind = Classify();
        } while (kind == Kind::Earlier);
    }
    blockHalfHour_ = HalfHourOf(record_.time);
    const TimePoint blockStart = blockHalfHour_ * kHalfHourNanoseconds;
    for (;;) {
        if (kind == Kind::Good) {
            if (!InHalfHour(record_.time, blockStart)) {
                carry_ = true;
                // A record of a later reader's files ends this reader's work.
                finished_ = !Own();
                return true;
            }
            if (block.count >= kMaxHalfHourRecords) return Fail(Failure::TooLarge, 0);
            if (!block.Append(record_.value)) return Fail(Failure::Memory, ENOMEM);
        }
        if (!AppendParsedRecords(block, blockStart)) return false;
        if (!NextRecord()) return !Failed();
        kind = Classify();
    }
}

// Most records of a file are kept, in time order, each in the half hour of
// the one before: those are taken here a stretch at a time, straight from
// the parsed arrays. The records of a later reader's files go one by one,
// for nothing of them is counted.
bool StreamReader::AppendParsedRecords(StandardBlock& block, TimePoint blockStart) {
    if (!opened_ || !Own()) return true;
    const DefaultRecordReader::Run run = records_.ParsedRun(stream_, layouts_[current_]);
    // A failed read leaves the stream to NextRecord, which reports it.
    if (run.first == run.end || stream_.Failed()) return true;
    const RecordColumns& columns = *run.columns;
    const int end = run.first + std::min(run.end - run.first, kMaxHalfHourRecords - block.count);
    TimePoint last = lastKept_ ? *lastKept_ : std::numeric_limits<TimePoint>::min();
    int i = run.first;
    for (; i < end; ++i) {
        const TimePoint time = columns.time[i];
        if (columns.timeRead[i] == 0 || !statusRule_.Keeps(columns.status[i]) || time < last ||
            !InHalfHour(time, blockStart)) {
            break;
        }
        last = time;
    }
    const int length = i - run.first;
    if (length == 0) return true;
    const float* values[kVariableCount];
    for (int v = 0; v < kVariableCount; ++v) values[v] = &columns.value[v][run.first];
    if (!block.AppendColumns(values, length)) return Fail(Failure::Memory, ENOMEM);
    counts_.records += length;
    lastKept_ = last;
    if (!latestGood_ || last > *latestGood_) latestGood_ = last;
    records_.TakeRun(stream_, run, i);
    return true;
}

}  // namespace kelvara
