#pragma once
// The batch's list file: one raw file name per line.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvara {

class ListFile {
public:
    // No path a system takes is longer; the rest of such a line is skipped
    // unstored, so a line with no end costs no memory.
    static constexpr std::size_t kMaxNameLength = 4096;

    ListFile() = default;
    ~ListFile() { Close(); }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    bool Open(const std::filesystem::path& file);
    void Close();

    // The next line without its line end (a CR before the LF is dropped).
    // False when the read met the end of the file before any character: the
    // list has ended. An empty line is an empty name.
    bool ReadName(std::string& name);

private:
    std::FILE* in_ = nullptr;
};

// Every line of a list file, as a name (an empty list has none). Nothing when
// the file cannot be opened.
std::optional<std::vector<std::string>> ReadListNames(const std::filesystem::path& file);

}  // namespace kelvara
