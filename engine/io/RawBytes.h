#pragma once
// The bytes of a raw file as its readers see them: the file's own, or, for a
// gzip-compressed file (known by its first bytes, whatever its name), the
// decompressed ones, so that every job reads `x.dat.gz` as it reads `x.dat`.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace kelvara {

class GzipBytes;

class RawBytes {
public:
    RawBytes();
    ~RawBytes();
    RawBytes(const RawBytes&) = delete;
    RawBytes& operator=(const RawBytes&) = delete;

    // Only a regular file: a pipe would block in its open, a device never end.
    bool Open(const std::filesystem::path& file);
    void Close();
    bool IsOpen() const { return file_ != nullptr || compressed_; }
    bool Compressed() const { return compressed_; }

    // Up to size bytes; fewer at the end or on a failure, after which error
    // holds its errno (or kDamagedCompression). The bytes returned are those
    // read before the failure: whether they count is the caller's choice.
    std::size_t Read(char* into, std::size_t size, int& error);

    // The decompressed size as the file's gzip trailer gives it (that of its
    // last member, modulo 4 GiB), else the file's size; -1 when unknown.
    std::int64_t Size() const { return size_; }

private:
    std::FILE* file_ = nullptr;
    char pending_[2] = {};  // the first bytes, read to tell a compressed file
    std::size_t pendingCount_ = 0;
    int pendingError_ = 0;  // the failure of that first read
    std::unique_ptr<GzipBytes> gzip_;
    bool compressed_ = false;
    std::int64_t size_ = -1;
};

// The bytes a raw file holds as its readers see them (RawBytes::Size),
// without reading it through; 0 when unknown. For progress and shares only.
std::int64_t RawContentSize(const std::filesystem::path& file);

// Up to maxBytes of the end of what a raw file holds, decompressed; the
// whole of a compressed file is read to find its end. fromStart says the
// tail is the whole file. False when the file does not read.
bool ReadRawTail(const std::filesystem::path& file, std::int64_t maxBytes, std::string& tail, bool& fromStart);

}  // namespace kelvara
