#include "io/StreamReader.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "io/RecordLines.h"

namespace kelvara {

void StreamReader::Start(std::vector<std::filesystem::path> files) {
    Close();
    files_ = std::move(files);
    totalSize_ = 0;
    for (const auto& file : files_) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (!error) totalSize_ += static_cast<std::int64_t>(size);
    }
}

void StreamReader::Start(std::vector<std::filesystem::path> files, std::vector<ColumnLayout> layouts) {
    Start(std::move(files));
    layouts_ = std::move(layouts);
}

void StreamReader::Close() {
    stream_.Close();
    files_.clear();
    layouts_.clear();
    current_ = 0;
    opened_ = false;
    carry_ = false;
    failure_ = Failure::None;
    failureError_ = 0;
    finishedBytes_ = 0;
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
    return !stream_.Failed() || Fail(Failure::Read, stream_.ReadError());
}

bool StreamReader::NextRecord() {
    while (current_ < files_.size()) {
        if (!opened_ && !OpenCurrent()) return false;
        const bool mapped = current_ < layouts_.size() && layouts_[current_].mapped;
        const bool complete =
            mapped ? mapped_.Read(stream_, layouts_[current_], record_) : records_.ReadWhole(stream_, record_);
        // A failing read may still complete a record from what came before
        // it; the data after it is unknown either way.
        if (stream_.Failed()) return Fail(Failure::Read, stream_.ReadError());
        if (complete) {
            ++counts_.records;
            if (!statusRule_.Keeps(record_.status)) ++counts_.badStatus;
            return true;
        }
        finishedBytes_ += stream_.Consumed();
        stream_.Close();
        opened_ = false;
        ++current_;
    }
    return false;
}

bool StreamReader::ReadBlock(StandardBlock& block) {
    block.Clear();
    if (Failed()) return false;
    if (!carry_ && !NextRecord()) return false;
    carry_ = false;
    blockKey_ = record_.key;
    std::memcpy(blockDate_, record_.date, sizeof blockDate_);
    for (;;) {
        if (statusRule_.Keeps(record_.status)) {
            if (!(record_.key == blockKey_)) {
                carry_ = true;
                return true;
            }
            if (!block.Append(record_.value)) return Fail(Failure::Memory, ENOMEM);
        }
        for (Run run = TakeParsedRecords(block); run != Run::None; run = TakeParsedRecords(block)) {
            if (run == Run::Carried) return true;
            if (run == Run::NoMemory) return Fail(Failure::Memory, ENOMEM);
        }
        if (!NextRecord()) return !Failed();
    }
}

// What NextRecord and the block loop do, a record at a time, over records
// already parsed from the buffer: their reading can neither fail nor meet
// the file's end.
StreamReader::Run StreamReader::TakeParsedRecords(StandardBlock& block) {
    const bool mapped = current_ < layouts_.size() && layouts_[current_].mapped;
    if (current_ >= files_.size() || !opened_ || mapped) return Run::None;
    const DefaultRecordReader::Run run = records_.ParsedRun(stream_);
    if (run.first == run.end) return Run::None;
    const RecordColumns& columns = *run.columns;
    for (int i = run.first; i < run.end; ++i) {
        ++counts_.records;
        if (!statusRule_.Keeps(columns.status[i])) {
            ++counts_.badStatus;
            continue;
        }
        if (!(columns.key[i] == blockKey_)) {
            records_.Materialize(i, record_);
            records_.TakeRun(stream_, i + 1);
            carry_ = true;
            return Run::Carried;
        }
        float values[kVariableCount];
        for (int v = 0; v < kVariableCount; ++v) values[v] = columns.value[v][i];
        if (!block.Append(values)) {
            // The record was read, as NextRecord would have read it.
            records_.TakeRun(stream_, i + 1);
            return Run::NoMemory;
        }
    }
    records_.TakeRun(stream_, run.end);
    return Run::Taken;
}

}  // namespace kelvara
