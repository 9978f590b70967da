#pragma once
// A raw data file read through one large buffer.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kelvara {

// A raw file read through one large buffer. At its end only once a read
// has met the end of the file; it never looks ahead.
class RawStream {
public:
    static constexpr int kEnd = -1;

    RawStream();
    ~RawStream();
    RawStream(const RawStream&) = delete;
    RawStream& operator=(const RawStream&) = delete;

    bool Open(const std::filesystem::path& file);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // At the end of the file, or stopped by a read error.
    bool AtEnd() const { return atEnd_; }
    // A read failed: the rest of the file is unknown, which is no end of it.
    bool Failed() const { return readError_ != 0; }
    int ReadError() const { return readError_; }

    // Size in bytes of the open file, or -1.
    std::int64_t Size() const;
    // Bytes of the file consumed so far.
    std::int64_t Consumed() const { return filled_ - (last_ - next_); }

    // The next character, or kEnd (and AtEnd() from then on).
    int Get() {
        if (next_ == last_ && !Fill()) return kEnd;
        return static_cast<unsigned char>(*next_++);
    }

    // The rest of the current line when its line feed is already in the
    // buffer: [begin, lineFeed). False otherwise (nothing is read).
    bool PeekLine(const char*& begin, const char*& lineFeed) const {
        if (next_ == last_) return false;
        const void* found = std::memchr(next_, '\n', static_cast<std::size_t>(last_ - next_));
        if (found == nullptr) return false;
        begin = next_;
        lineFeed = static_cast<const char*>(found);
        return true;
    }
    // Consumes the buffered characters before position.
    void ConsumeTo(const char* position) { next_ = position; }

    // Skips up to and including the next line feed, whatever the line's length.
    void SkipLine();

    // Reads characters up to the delimiter (consumed, not stored), keeping at
    // most width of them in out (which gets a terminating null). Returns the
    // number of characters kept, or -1 when the end came before the delimiter.
    // With stopAtEnd, the end of the file also ends the field: the count kept
    // is returned, or -1 when nothing came before the end.
    int ReadField(char delimiter, int width, char* out, bool stopAtEnd = false);

private:
    // Loads the next piece of the file; false (and at its end) when none is left.
    bool Fill();

    std::FILE* file_ = nullptr;
    std::int64_t size_ = -1;
    std::unique_ptr<char[]> buffer_;
    const char* next_ = nullptr;
    const char* last_ = nullptr;
    std::int64_t filled_ = 0;  // bytes loaded into the buffer since the file was opened
    int readError_ = 0;        // the errno of a failed read, 0 if none failed
    bool atEnd_ = false;
};

}  // namespace kelvara
