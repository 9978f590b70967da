#include "io/StreamReader.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

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
        if (!NextRecord()) return !Failed();
    }
}

}  // namespace kelvara
