#pragma once
// Writes a file as a Windows text stream writes it, on every platform: every
// line feed goes out as CR LF. Output is gathered in a caller-owned buffer
// and written in large blocks; a failed write is remembered, not thrown.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <span>

namespace kelvara {

class TextModeWriter {
public:
    explicit TextModeWriter(std::span<char> buffer);

    // Creates the file or truncates an existing one.
    bool Create(const std::filesystem::path& file);

    void Write(const char* data, std::size_t size);
    void WriteLineEnd();

    // Writes what is still buffered and closes the file. False when any
    // write since Create failed.
    bool Close();

    bool Failed() const { return failed_; }

    // The errno of the first failed create or write, for telling the user
    // why; 0 if none failed.
    int LastError() const { return lastError_; }

private:
    void Put(char c);
    void Flush();
    void Fail();

    std::span<char> buffer_;
    std::ofstream stream_;
    std::size_t length_ = 0;
    bool failed_ = false;
    int lastError_ = 0;
};

}  // namespace kelvara
