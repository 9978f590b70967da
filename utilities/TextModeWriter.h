#pragma once
// Writes a file as a Windows text stream writes it, on every platform: every
// line feed goes out as CR LF. Output is gathered in a caller-owned buffer
// and written in large blocks; a failed write is remembered, not thrown. The
// file is written under a private temporary beside it and put in place by
// Close, so a killed job never leaves a finished-looking file.

#include <cstddef>
#include <filesystem>
#include <span>

#include "io/TemporaryFile.h"

namespace kelvara {

class TextModeWriter {
public:
    explicit TextModeWriter(std::span<char> buffer);

    // Starts the file that Close puts in place of whatever the name holds.
    // False where the file could not have been written directly.
    bool Create(const std::filesystem::path& file);

    void Write(const char* data, std::size_t size);
    void WriteLineEnd();

    // Writes what is still buffered and puts the file in place. False when
    // any write since Create, the close or the rename failed: the file then
    // stays as it was.
    bool Close();
    // After a failure: what was written goes under the file's name plus
    // ".partial" instead; the file stays as it was. False when nothing was
    // written or the rename failed.
    bool KeepPartial(const std::filesystem::path& partial);

    bool Failed() const { return failed_; }

    // The errno of the first failed create or write, for telling the user
    // why; 0 if none failed.
    int LastError() const { return lastError_; }

private:
    void Put(char c);
    void Flush();
    void Fail();

    std::span<char> buffer_;
    TemporaryFile file_;
    std::size_t length_ = 0;
    bool failed_ = false;
    int lastError_ = 0;
};

}  // namespace kelvara
