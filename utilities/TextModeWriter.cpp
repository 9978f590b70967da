#include "TextModeWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/FileChecks.h"

namespace kelvara {

TextModeWriter::TextModeWriter(std::span<char> buffer) : buffer_(buffer) {}

bool TextModeWriter::Create(const std::filesystem::path& file) {
    length_ = 0;
    failed_ = false;
    lastError_ = ReasonCannotReplace(file);
    if (lastError_ == 0 && !file_.Create(file)) lastError_ = file_.LastError();
    failed_ = lastError_ != 0;
    return !failed_;
}

// Called right after the failing call, while errno still tells why. The
// stream library does not promise to set it; EIO stands in then.
void TextModeWriter::Fail() {
    if (!failed_) lastError_ = errno != 0 ? errno : EIO;
    failed_ = true;
}

void TextModeWriter::Flush() {
    if (length_ == 0) return;
    if (!failed_) {
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, length_, file_.Stream()) != length_) Fail();
    }
    length_ = 0;
}

void TextModeWriter::Put(char c) {
    if (length_ == buffer_.size()) Flush();
    buffer_[length_++] = c;
}

void TextModeWriter::Write(const char* data, std::size_t size) {
    const char* const end = data + size;
    while (data != end) {
        // Copy up to the next line feed in one go, then expand it.
        const void* found = std::memchr(data, '\n', static_cast<std::size_t>(end - data));
        const char* stop = found != nullptr ? static_cast<const char*>(found) : end;
        while (data != stop) {
            if (length_ == buffer_.size()) Flush();
            std::size_t run = static_cast<std::size_t>(stop - data);
            if (run > buffer_.size() - length_) run = buffer_.size() - length_;
            std::memcpy(buffer_.data() + length_, data, run);
            length_ += run;
            data += run;
        }
        if (stop != end) {
            WriteLineEnd();
            ++data;
        }
    }
}

void TextModeWriter::WriteLineEnd() {
    Put('\r');
    Put('\n');
}

bool TextModeWriter::Close() {
    if (!file_.IsOpen()) return !failed_;
    Flush();
    if (!failed_ && !file_.Commit()) {
        lastError_ = file_.LastError();
        failed_ = true;
    }
    return !failed_;
}

bool TextModeWriter::KeepPartial(const std::filesystem::path& partial) {
    if (!file_.IsCreated()) return false;
    if (file_.IsOpen()) Flush();
    return file_.KeepAs(partial);
}

}  // namespace kelvara
