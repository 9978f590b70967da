#pragma once
// A raw data file read through one large buffer (decompressed when gzip-compressed).

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "io/RawBytes.h"

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
    bool IsOpen() const { return bytes_.IsOpen(); }
    // At the end of the file, or stopped by a read error.
    bool AtEnd() const { return atEnd_; }
    // A read failed: the rest of the file is unknown, which is no end of it.
    bool Failed() const { return readError_ != 0; }
    int ReadError() const { return readError_; }

    // Size in bytes of what the open file holds (decompressed), or -1.
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
    // Where the next character is in the buffer.
    const char* Position() const { return next_; }
    // Consumes the buffered characters before position.
    void ConsumeTo(const char* position) { next_ = position; }

    // The buffered lines, [begin, end) from the next character to just past
    // the buffer's last line feed. False when no line feed is buffered.
    // Nothing is read; kPadding bytes past end are readable (their values
    // are of no use).
    static constexpr std::size_t kPadding = 16;
    bool WholeLines(const char*& begin, const char*& end);
    // Moves the unread rest of the buffer to its start and reads more of
    // the file behind it, so that a line cut by the buffer's end becomes
    // whole. False when nothing more came (the end of the file is left to
    // the next read to meet, a failure stops the stream as in Get).
    bool FillBehindRest();
    // Reads now the load that FillBehindRest would read once the buffer's
    // whole lines are consumed, into a buffer of its own: for a reader with
    // a moment to wait. The load counts only when a fill takes it, as if
    // read then: the stream's bytes, its position and its end or failure
    // are the same either way.
    void Prefetch();
    // The same prefetch made by another thread: OfferPrefetch (by the
    // reader) lets HelpPrefetch (by any thread, which then makes it and
    // returns true) do it until the stream next loads or closes, which
    // takes the offer back or waits for the read.
    bool OfferPrefetch();
    bool PrefetchOnOffer() const { return prefetchOffer_.load(std::memory_order_acquire) == kOffered; }
    bool HelpPrefetch();
    // Changes whenever the buffer is loaded anew: a position kept from
    // before is no longer one in this buffer.
    std::uint64_t LoadCount() const { return loads_; }

    // Skips up to and including the next line feed, whatever the line's length.
    void SkipLine();

    // Reads characters up to the delimiter (consumed, not stored), keeping at
    // most width of them in out (which gets a terminating null). Returns the
    // number of characters kept, or -1 when the end came before the delimiter.
    // With stopAtEnd, the end of the file also ends the field: the count kept
    // is returned, or -1 when nothing came before the end.
    int ReadField(char delimiter, int width, char* out, bool stopAtEnd = false);
    // The rest of the current line, without its line feed, appended to out
    // whatever its length. False when the file ends before the line has a
    // character.
    bool AppendLine(std::string& out);
    // A field of the default layout's time stamp: as ReadField, but a comma
    // before the delimiter ends the time stamp without it, which is
    // kNoDelimiter (the comma is not consumed).
    static constexpr int kNoDelimiter = -2;
    int ReadTimeField(char delimiter, int width, char* out);

private:
    // ReadField up to the delimiter, or kNoDelimiter at stop.
    int ReadUpTo(char delimiter, char stop, int width, char* out, bool stopAtEnd);
    // Loads the next piece of the file; false (and at its end) when none is left.
    bool Fill();
    // Moves the rest of the buffer to the front of a buffer, loads what
    // follows it behind (from a prefetch, if one waits) and points next_
    // and last_ at the whole; returns the bytes loaded.
    std::size_t LoadBehind(std::size_t rest, int& error);
    std::size_t TakePrefetched(std::size_t rest, int& error);
    // The rest that the buffer's whole lines leave.
    std::size_t RestAfterWholeLines() const;
    // The rest a prefetch would go behind; false when none is to be made
    // (one is made, or the file has ended or is closed).
    bool PrefetchRest(std::size_t& rest);
    void ReadIntoSpare(std::size_t rest);
    // Takes an offered prefetch back, or waits for the helper making it.
    void SettlePrefetch();
    // Counts a load of got bytes; false after a read error, which ends the
    // stream.
    bool CountLoad(std::size_t got, int error);

    RawBytes bytes_;
    std::unique_ptr<char[]> buffer_;
    // The prefetched load, [prefetchBegin_, prefetchEnd_) of spare_ and the
    // errno of its read, while prefetched_.
    std::unique_ptr<char[]> spare_;
    std::size_t prefetchBegin_ = 0;
    std::size_t prefetchEnd_ = 0;
    int prefetchError_ = 0;
    bool prefetched_ = false;
    enum PrefetchOffer { kNotOffered, kOffered, kTaken };
    std::atomic<int> prefetchOffer_{kNotOffered};
    std::size_t offeredRest_ = 0;
    const char* next_ = nullptr;
    const char* last_ = nullptr;
    const char* lastLineFeed_ = nullptr;  // in this load, or null when not yet looked for
    std::int64_t filled_ = 0;             // bytes loaded into the buffer since the file was opened
    std::uint64_t loads_ = 0;
    int readError_ = 0;  // the errno of a failed read, 0 if none failed
    bool atEnd_ = false;
};

}  // namespace kelvara
