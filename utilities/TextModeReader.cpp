#include "TextModeReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara {

namespace {
constexpr char kFileSeparator = '\x1c';
}

TextModeReader::TextModeReader(std::span<char> buffer) : buffer_(buffer) {}

bool TextModeReader::Open(const std::filesystem::path& file) {
    Close();
    if (!IsRegularFile(file)) return false;
    stream_ = OpenFile(file, "rb");
    return stream_ != nullptr;
}

void TextModeReader::Close() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    readError_ = 0;
    position_ = 0;
    length_ = 0;
}

bool TextModeReader::Fill() {
    position_ = 0;
    length_ = 0;
    if (stream_ == nullptr || readError_ != 0 || std::feof(stream_) != 0) return false;
    errno = 0;
    length_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    // A short read is the end of the file or an error; only ferror tells.
    if (length_ < buffer_.size() && std::ferror(stream_) != 0) {
        readError_ = errno != 0 ? errno : EIO;
        length_ = 0;
        return false;
    }
    return length_ > 0;
}

bool TextModeReader::AtEnd() { return position_ == length_ && !Fill(); }

int TextModeReader::Next() {
    if (position_ == length_ && !Fill()) return kEnd;
    const char c = buffer_[position_++];
    if (c == '\r' && Peek() == '\n') {
        ++position_;
        return '\n';
    }
    return static_cast<unsigned char>(c);
}

// The next raw byte, left unread; refilling is safe because the byte before
// it has already been taken.
int TextModeReader::Peek() {
    if (position_ == length_ && !Fill()) return kEnd;
    return static_cast<unsigned char>(buffer_[position_]);
}

std::size_t TextModeReader::ReadLine(char* out, std::size_t limit) {
    std::size_t count = 0;
    while (count < limit) {
        const int c = Next();
        if (c == kEnd) break;
        out[count++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return count;
}

std::size_t TextModeReader::ReadPiece(char* out, std::size_t limit) {
    std::size_t count = 0;
    while (count < limit) {
        if (position_ == length_ && !Fill()) break;
        // Plain bytes are copied in runs; only CR and 0x1C need a closer look.
        const char* source = buffer_.data() + position_;
        const std::size_t available = std::min(length_ - position_, limit - count);
        std::size_t run = 0;
        while (run < available && source[run] != '\r' && source[run] != kFileSeparator) ++run;
        std::memcpy(out + count, source, run);
        count += run;
        position_ += run;
        if (run == available) continue;
        if (source[run] == kFileSeparator) {
            ++position_;
            break;
        }
        out[count++] = static_cast<char>(Next());
    }
    return count;
}

}  // namespace kelvara
