#include "io/RawStream.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;

}  // namespace

RawStream::RawStream() : buffer_(new char[kBufferSize]) {}

RawStream::~RawStream() { Close(); }

bool RawStream::Open(const std::filesystem::path& file) {
    Close();
    // Checked before the open: a pipe would block in it, a device never end.
    if (!IsRegularFile(file)) return false;
    file_ = OpenFile(file, "rb");
    if (file_ == nullptr) return false;
    // The stream does its own buffering.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    size_ = error ? -1 : static_cast<std::int64_t>(size);
    return true;
}

void RawStream::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    next_ = last_ = nullptr;
    filled_ = 0;
    readError_ = 0;
    atEnd_ = false;
    size_ = -1;
}

std::int64_t RawStream::Size() const { return size_; }

bool RawStream::Fill() {
    if (file_ == nullptr || atEnd_) {
        atEnd_ = true;
        return false;
    }
    errno = 0;
    const std::size_t got = std::fread(buffer_.get(), 1, kBufferSize, file_);
    next_ = buffer_.get();
    last_ = next_ + got;
    filled_ += static_cast<std::int64_t>(got);
    // A short read is the end of the file or an error; only ferror tells.
    if (got < kBufferSize && std::ferror(file_) != 0) {
        readError_ = errno != 0 ? errno : EIO;
        // Nothing of the failing read counts: the block it would end is unknown.
        next_ = last_;
        atEnd_ = true;
        return false;
    }
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    return true;
}

void RawStream::SkipLine() {
    for (;;) {
        if (next_ == last_ && !Fill()) return;
        const void* lineFeed = std::memchr(next_, '\n', static_cast<std::size_t>(last_ - next_));
        if (lineFeed != nullptr) {
            next_ = static_cast<const char*>(lineFeed) + 1;
            return;
        }
        next_ = last_;
    }
}

int RawStream::ReadField(char delimiter, int width, char* out, bool stopAtEnd) {
    int kept = 0;
    for (;;) {
        if (next_ == last_ && !Fill()) {
            out[kept] = '\0';
            return (stopAtEnd && kept > 0) ? kept : -1;
        }
        const char* const start = next_;
        const char* p = start;
        const char* const end = last_;
        while (p < end && *p != delimiter) ++p;
        // Characters beyond the width are read but not kept.
        const int room = width - kept;
        const int length = static_cast<int>(p - start);
        const int copied = length < room ? length : room;
        std::memcpy(out + kept, start, static_cast<std::size_t>(copied));
        kept += copied;
        if (p < end) {
            next_ = p + 1;
            out[kept] = '\0';
            return kept;
        }
        next_ = p;
    }
}

}  // namespace kelvara
