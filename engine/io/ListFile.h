#pragma once
// The batch's list file: one raw file name per line, taken whole.

#include <filesystem>
#include <fstream>
#include <string>

namespace kelvara {

class ListFile {
public:
    bool Open(const std::filesystem::path& file);
    void Close() { in_.close(); }

    // The next line without its line end (a CR before the LF is dropped).
    // False when the read met the end of the file before any character: the
    // list has ended. An empty line is an empty name.
    bool ReadName(std::string& name);

private:
    std::ifstream in_;
};

}  // namespace kelvara
