#pragma once
// Streams that fail on demand, below every reader: while installed, a file
// whose name contains "failing" opens as a stream that gives its first
// FailingStreams::bytesBeforeFailure bytes and then a read error (EIO).

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "io/FileNames.h"

namespace kelvara::testing {

class FailingStreams {
public:
    static inline long bytesBeforeFailure = 0;

    FailingStreams() : previous_(SetStreamOpener(Open)) {}
    ~FailingStreams() { SetStreamOpener(previous_); }
    FailingStreams(const FailingStreams&) = delete;
    FailingStreams& operator=(const FailingStreams&) = delete;

private:
    struct Source {
        std::FILE* file;
        long left;
    };

    static std::FILE* Open(const std::filesystem::path& file, const char* mode) {
        std::FILE* real = std::fopen(file.c_str(), mode);
        const bool reading = mode[0] == 'r';
        if (real == nullptr || !reading || file.filename().string().find("failing") == std::string::npos) return real;
        cookie_io_functions_t functions{};
        functions.read = Read;
        functions.close = Close;
        return fopencookie(new Source{real, bytesBeforeFailure}, "rb", functions);
    }
    static ssize_t Read(void* cookie, char* buffer, std::size_t size) {
        auto* source = static_cast<Source*>(cookie);
        if (source->left <= 0) {
            errno = EIO;
            return -1;
        }
        const std::size_t wanted =
            size < static_cast<std::size_t>(source->left) ? size : static_cast<std::size_t>(source->left);
        const std::size_t got = std::fread(buffer, 1, wanted, source->file);
        source->left -= static_cast<long>(got);
        return static_cast<ssize_t>(got);
    }
    static int Close(void* cookie) {
        auto* source = static_cast<Source*>(cookie);
        const int result = std::fclose(source->file);
        delete source;
        return result;
    }

    StreamOpener previous_;
};

}  // namespace kelvara::testing
