#include "io/RawBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/GzipBytes.h"

namespace kelvara {

namespace {

// gzip's trailer ends with the member's size modulo 2^32, little-endian;
// read through a stream of its own, the readers' stream is not moved.
std::int64_t GzipTrailerSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char size[4] = {};
    in.seekg(-4, std::ios::end);
    in.read(reinterpret_cast<char*>(size), sizeof size);
    if (!in) return -1;
    return static_cast<std::int64_t>(size[0]) | static_cast<std::int64_t>(size[1]) << 8 |
           static_cast<std::int64_t>(size[2]) << 16 | static_cast<std::int64_t>(size[3]) << 24;
}

}  // namespace

RawBytes::RawBytes() = default;

RawBytes::~RawBytes() { Close(); }

bool RawBytes::Open(const std::filesystem::path& file) {
    Close();
    if (!IsRegularFile(file)) return false;
    std::FILE* opened = OpenFile(file, "rb");
    if (opened == nullptr) return false;
    // The readers do their own buffering.
    std::setvbuf(opened, nullptr, _IONBF, 0);
    // The first bytes say whether the file is compressed; they are kept, not
    // read again (a stream need not seek). A failure here is the first read's.
    errno = 0;
    pendingCount_ = std::fread(pending_, 1, sizeof pending_, opened);
    if (std::ferror(opened) != 0) pendingError_ = errno != 0 ? errno : EIO;
    if (pendingError_ == 0 && StartsAsGzip(reinterpret_cast<const unsigned char*>(pending_), pendingCount_)) {
        size_ = GzipTrailerSize(file);
        if (!gzip_) gzip_ = std::make_unique<GzipBytes>();
        if (!gzip_->Start(opened, pending_, pendingCount_)) {
            std::fclose(opened);
            return false;
        }
        pendingCount_ = 0;
        compressed_ = true;
        return true;
    }
    file_ = opened;
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    size_ = error ? -1 : static_cast<std::int64_t>(size);
    return true;
}

void RawBytes::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (gzip_) gzip_->Close();
    compressed_ = false;
    pendingCount_ = 0;
    pendingError_ = 0;
    size_ = -1;
}

std::size_t RawBytes::Read(char* into, std::size_t size, int& error) {
    error = 0;
    if (compressed_) return gzip_->Read(into, size, error);
    if (file_ == nullptr) return 0;
    if (pendingError_ != 0) {
        error = pendingError_;
        return 0;
    }
    const std::size_t first = std::min(size, pendingCount_);
    std::memcpy(into, pending_, first);
    std::memmove(pending_, pending_ + first, pendingCount_ - first);
    pendingCount_ -= first;
    errno = 0;
    const std::size_t got = std::fread(into + first, 1, size - first, file_);
    // A short read is the end of the file or an error; only ferror tells.
    if (got < size - first && std::ferror(file_) != 0) error = errno != 0 ? errno : EIO;
    return first + got;
}

std::int64_t RawContentSize(const std::filesystem::path& file) {
    RawBytes bytes;
    if (!bytes.Open(file)) return 0;
    return std::max<std::int64_t>(bytes.Size(), 0);
}

bool ReadRawTail(const std::filesystem::path& file, std::int64_t maxBytes, std::string& tail, bool& fromStart) {
    tail.clear();
    fromStart = true;
    RawBytes bytes;
    if (!bytes.Open(file)) return false;
    const auto keep = static_cast<std::size_t>(std::max<std::int64_t>(maxBytes, 1));
    if (!bytes.Compressed()) {
        bytes.Close();
        std::ifstream in(file, std::ios::binary);
        std::error_code error;
        const auto size = static_cast<std::int64_t>(std::filesystem::file_size(file, error));
        if (error || !in) return false;
        const std::int64_t start = std::max<std::int64_t>(0, size - maxBytes);
        fromStart = start == 0;
        in.seekg(start);
        tail.resize(static_cast<std::size_t>(size - start));
        in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
        tail.resize(static_cast<std::size_t>(in.gcount()));
        return true;
    }
    // A compressed file's end is known only after the rest of it.
    std::string piece(keep, '\0');
    for (;;) {
        int error = 0;
        const std::size_t got = bytes.Read(piece.data(), keep, error);
        if (error != 0) return false;
        if (got == 0) break;
        tail.append(piece, 0, got);
        if (tail.size() > keep) {
            tail.erase(0, tail.size() - keep);
            fromStart = false;
        }
    }
    return true;
}

}  // namespace kelvara
