#pragma once
// Reads a file (decompressed when gzip-compressed) as a Windows text stream
// reads it, on every platform: CR LF
// comes back as one line feed (also when the pair straddles two buffer
// fills); a lone CR and byte 0x1A are ordinary data.

#include <cstddef>
#include <filesystem>
#include <span>

#include "io/RawBytes.h"

namespace kelvara {

class TextModeReader {
public:
    // The raw bytes pass through buffer, which the caller owns; the reader
    // allocates nothing of its own.
    explicit TextModeReader(std::span<char> buffer);
    ~TextModeReader() { Close(); }
    TextModeReader(const TextModeReader&) = delete;
    TextModeReader& operator=(const TextModeReader&) = delete;

    bool Open(const std::filesystem::path& file);
    void Close();

    // As fgets into a buffer of limit + 1 characters: stores at most limit
    // characters, stopping after a line feed. Returns how many were stored;
    // 0 only at the end of the file.
    std::size_t ReadLine(char* out, std::size_t limit);

    // Stores at most limit characters, stopping before a byte 0x1C (file
    // separator), which is consumed and dropped. Returns how many were stored.
    std::size_t ReadPiece(char* out, std::size_t limit);

    bool AtEnd();

    // A read failed (its errno, 0 if none): reading stopped there, which is
    // no end of the file.
    int ReadError() const { return readError_; }

private:
    static constexpr int kEnd = -1;

    int Next();
    int Peek();
    bool Fill();

    std::span<char> buffer_;
    RawBytes bytes_;
    bool ended_ = false;
    int readError_ = 0;
    std::size_t position_ = 0;
    std::size_t length_ = 0;
};

}  // namespace kelvara
