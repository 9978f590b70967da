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
    ended_ = false;
    return bytes_.Open(file);
}

void TextModeReader::Close() {
    bytes_.Close();
    ended_ = false;
    readError_ = 0;
    position_ = 0;
    length_ = 0;
}

bool TextModeReader::Fill() {
    position_ = 0;
    length_ = 0;
    if (!bytes_.IsOpen() || readError_ != 0 || ended_) return false;
    length_ = bytes_.Read(buffer_.data(), buffer_.size(), readError_);
    if (readError_ != 0) {
        length_ = 0;
        return false;
    }
    // A short read met the end: no further read is tried, as a stream at its end tries none.
    ended_ = length_ < buffer_.size();
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
