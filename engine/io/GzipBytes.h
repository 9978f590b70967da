#pragma once
// The decompressed bytes of a gzip-compressed file, as archives of raw files
// keep them. Members written one after the other (as `cat a.gz b.gz` gives)
// read as one stream, as gzip itself reads them.

#include <cstddef>
#include <cstdio>
#include <memory>

namespace kelvara {

// Whether bytes start as every gzip member does (0x1f 0x8b).
bool StartsAsGzip(const unsigned char* bytes, std::size_t size);

class GzipBytes {
public:
    GzipBytes();
    ~GzipBytes();
    GzipBytes(const GzipBytes&) = delete;
    GzipBytes& operator=(const GzipBytes&) = delete;

    // Takes the open file, whose first bytes were already read into first;
    // closed by Close.
    bool Start(std::FILE* compressed, const char* first, std::size_t firstCount);
    void Close();

    // Up to size decompressed bytes; fewer only at the end or on a failure.
    // error gets an errno, or kDamagedCompression for data that does not
    // decompress or ends inside a member.
    std::size_t Read(char* into, std::size_t size, int& error);

private:
    // More compressed bytes; false at the file's end or on a read error.
    bool FillInput(int& error);
    // After a member's end: the next member, the file's end, or damage.
    bool NextMember(int& error);

    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    std::unique_ptr<unsigned char[]> input_;
    std::FILE* file_ = nullptr;
    bool ended_ = false;
};

}  // namespace kelvara
