#include "io/RawStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "io/SpinBriefly.h"

namespace kelvara {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;

}  // namespace

// Zeroed once, so that the padding behind the data is never read unset.
RawStream::RawStream() : buffer_(new char[kBufferSize + kPadding]()) {}

RawStream::~RawStream() { Close(); }

bool RawStream::Open(const std::filesystem::path& file) {
    Close();
    // Checked before the open: a pipe would block in it, a device never end.
    return bytes_.Open(file);
}

void RawStream::Close() {
    SettlePrefetch();
    bytes_.Close();
    prefetched_ = false;
    next_ = last_ = nullptr;
    lastLineFeed_ = nullptr;
    ++loads_;
    filled_ = 0;
    readError_ = 0;
    atEnd_ = false;
}

std::int64_t RawStream::Size() const { return bytes_.Size(); }

bool RawStream::Fill() {
    SettlePrefetch();
    if (!bytes_.IsOpen() || atEnd_) {
        atEnd_ = true;
        return false;
    }
    int error = 0;
    const std::size_t got = LoadBehind(0, error);
    if (!CountLoad(got, error)) return false;
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    return true;
}

std::size_t RawStream::LoadBehind(std::size_t rest, int& error) {
    if (prefetched_) return TakePrefetched(rest, error);
    char* const buffer = buffer_.get();
    if (rest > 0) std::memmove(buffer, next_, rest);
    const std::size_t got = bytes_.Read(buffer + rest, kBufferSize - rest, error);
    next_ = buffer;
    last_ = buffer + rest + got;
    return got;
}

std::size_t RawStream::RestAfterWholeLines() const {
    const char* const wholeEnd = lastLineFeed_ != nullptr && lastLineFeed_ >= next_ ? lastLineFeed_ + 1 : next_;
    return static_cast<std::size_t>(last_ - wholeEnd);
}

bool RawStream::PrefetchRest(std::size_t& rest) {
    SettlePrefetch();
    if (prefetched_ || !bytes_.IsOpen() || atEnd_) return false;
    rest = RestAfterWholeLines();
    return rest != kBufferSize;
}

void RawStream::Prefetch() {
    std::size_t rest;
    if (PrefetchRest(rest)) ReadIntoSpare(rest);
}

void RawStream::ReadIntoSpare(std::size_t rest) {
    if (!spare_) spare_.reset(new char[kBufferSize + kPadding]());
    prefetchError_ = 0;
    prefetchBegin_ = rest;
    prefetchEnd_ = rest + bytes_.Read(spare_.get() + rest, kBufferSize - rest, prefetchError_);
    prefetched_ = true;
}

bool RawStream::OfferPrefetch() {
    if (!PrefetchRest(offeredRest_)) return false;
    prefetchOffer_.store(kOffered, std::memory_order_release);
    return true;
}

bool RawStream::HelpPrefetch() {
    int offered = kOffered;
    if (!prefetchOffer_.compare_exchange_strong(offered, kTaken, std::memory_order_acquire)) return false;
    ReadIntoSpare(offeredRest_);
    prefetchOffer_.store(kNotOffered, std::memory_order_release);
    prefetchOffer_.notify_one();
    return true;
}

void RawStream::SettlePrefetch() {
    if (prefetchOffer_.load(std::memory_order_acquire) == kNotOffered) return;
    int offered = kOffered;
    if (prefetchOffer_.compare_exchange_strong(offered, kNotOffered, std::memory_order_acquire)) return;
    const auto read = [&] { return prefetchOffer_.load(std::memory_order_acquire) == kNotOffered; };
    if (SpinBriefly(read)) return;
    while (prefetchOffer_.load(std::memory_order_acquire) == kTaken) {
        prefetchOffer_.wait(kTaken, std::memory_order_acquire);
    }
}

// Usually the rest is the one foreseen and goes in front of the prefetched
// bytes, whose buffer becomes the stream's; else as much of them as fits
// goes behind the rest, and the others wait for the next fill. A failed
// read fails the fill that takes it, and nothing of it is used.
std::size_t RawStream::TakePrefetched(std::size_t rest, int& error) {
    std::size_t got;
    if (prefetchError_ != 0) {
        error = prefetchError_;
        got = prefetchEnd_ - prefetchBegin_;
        prefetched_ = false;
        if (rest > 0) std::memmove(buffer_.get(), next_, rest);
        next_ = buffer_.get();
        last_ = next_ + rest;
        return got;
    }
    if (rest == prefetchBegin_) {
        std::memcpy(spare_.get(), next_, rest);
        std::swap(buffer_, spare_);
        got = prefetchEnd_ - prefetchBegin_;
        prefetchBegin_ = prefetchEnd_;
    } else {
        char* const buffer = buffer_.get();
        if (rest > 0) std::memmove(buffer, next_, rest);
        got = std::min(prefetchEnd_ - prefetchBegin_, kBufferSize - rest);
        std::memcpy(buffer + rest, spare_.get() + prefetchBegin_, got);
        prefetchBegin_ += got;
    }
    prefetched_ = prefetchBegin_ != prefetchEnd_;
    next_ = buffer_.get();
    last_ = next_ + rest + got;
    return got;
}

bool RawStream::CountLoad(std::size_t got, int error) {
    lastLineFeed_ = nullptr;
    ++loads_;
    filled_ += static_cast<std::int64_t>(got);
    if (error == 0) return true;
    readError_ = error;
    // Nothing of the failing read counts: the block it would end is unknown.
    next_ = last_;
    atEnd_ = true;
    return false;
}

bool RawStream::WholeLines(const char*& begin, const char*& end) {
    if (next_ == last_) return false;
    if (lastLineFeed_ == nullptr || lastLineFeed_ < next_) {
        // From the back: the last line feed is at most a line away.
        const char* p = last_;
        while (p != next_ && p[-1] != '\n') --p;
        if (p == next_) return false;
        lastLineFeed_ = p - 1;
    }
    begin = next_;
    end = lastLineFeed_ + 1;
    return true;
}

bool RawStream::FillBehindRest() {
    SettlePrefetch();
    if (!bytes_.IsOpen() || atEnd_) return false;
    const auto rest = static_cast<std::size_t>(last_ - next_);
    if (rest == kBufferSize) return false;
    int error = 0;
    const std::size_t got = LoadBehind(rest, error);
    return CountLoad(got, error) && got > 0;
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
    return ReadUpTo(delimiter, delimiter, width, out, stopAtEnd);
}

bool RawStream::AppendLine(std::string& out) {
    for (bool any = false;; any = true) {
        if (next_ == last_ && !Fill()) return any;
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(next_, '\n', static_cast<std::size_t>(last_ - next_)));
        const char* const stop = lineFeed != nullptr ? lineFeed : last_;
        out.append(next_, static_cast<std::size_t>(stop - next_));
        if (lineFeed != nullptr) {
            next_ = lineFeed + 1;
            return true;
        }
        next_ = last_;
    }
}

int RawStream::ReadTimeField(char delimiter, int width, char* out) {
    return ReadUpTo(delimiter, ',', width, out, false);
}

int RawStream::ReadUpTo(char delimiter, char stop, int width, char* out, bool stopAtEnd) {
    int kept = 0;
    for (;;) {
        if (next_ == last_ && !Fill()) {
            out[kept] = '\0';
            return (stopAtEnd && kept > 0) ? kept : -1;
        }
        const char* const start = next_;
        const char* p = start;
        const char* const end = last_;
        while (p < end && *p != delimiter && *p != stop) ++p;
        // Characters beyond the width are read but not kept.
        const int room = width - kept;
        const int length = static_cast<int>(p - start);
        const int copied = length < room ? length : room;
        std::memcpy(out + kept, start, static_cast<std::size_t>(copied));
        kept += copied;
        if (p < end && *p != delimiter) {
            next_ = p;
            out[kept] = '\0';
            return kNoDelimiter;
        }
        if (p < end) {
            next_ = p + 1;
            out[kept] = '\0';
            return kept;
        }
        next_ = p;
    }
}

}  // namespace kelvara
