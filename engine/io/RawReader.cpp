#include "io/RawReader.h"

#include <charconv>
#include <cstring>

namespace kelvara {

namespace {

using BlockKey = RawReader::BlockKey;

BlockKey KeyOf(const RawRecord& record) { return HalfHourKeyOf(record); }

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

}  // namespace

bool RawReader::OpenFirst(const std::filesystem::path& file) {
    carry_ = false;
    firstFileEnded_ = false;
    if (!first_.Open(file)) return false;
    SkipHeaderLines(first_);
    return true;
}

bool RawReader::OpenSecond(const std::filesystem::path& file) {
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
    if (HasValidStatus(record)) return true;
    ++counts_.badStatus;
    return false;
}

void RawReader::SkipHeaderLines(RawStream& stream) {
    for (int line = 0; line < kHeaderLineCount; ++line) stream.SkipLine();
}

int RawReader::ReadBlock(BlockBuffer& block) {
    // Nothing left to read: the 1 the callers know as the end, on an empty block.
    if (first_.AtEnd()) {
        firstFileEnded_ = true;
        block.count = 0;
        return 1;
    }
    bool timeStampRead = false;
    if (!carry_) {
        if (!ReadTimeStamp(first_, record_)) {
            firstFileEnded_ = true;
            block.count = 0;
            return 1;
        }
        timeStampRead = true;
    }
    const BlockKey key = KeyOf(record_);
    std::memcpy(blockDate_, record_.date, sizeof blockDate_);

    int count = 0;
    for (int pass = 0; pass < kBlockCapacity; ++pass) {
        if (first_.AtEnd()) {
            firstFileEnded_ = true;
            break;
        }
        if (!carry_) {
            const bool complete =
                timeStampRead ? ReadValuesAndStatus(first_, record_) : ReadWholeRecord(first_, record_);
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

    if (first_.AtEnd()) ContinueFromSecondFile(block, key, count);

    FormatLabel(key, blockLabel_);
    blockKey_ = key;
    block.count = count;
    return count;
}

// Completes the block left open at the end of the first file from the start
// of the second; the record that belongs elsewhere is dropped.
void RawReader::ContinueFromSecondFile(BlockBuffer& block, BlockKey key, int& count) {
    if (!second_.IsOpen()) return;
    for (int pass = count; pass < kBlockCapacity; ++pass) {
        if (!ReadWholeRecord(second_, record_)) return;
        if (!Keeps(record_)) continue;
        if (!(KeyOf(record_) == key)) return;
        AppendSample(block, record_, count);
    }
}

}  // namespace kelvara
