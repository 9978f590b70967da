#include "io/ListFile.h"

#include "io/FileNames.h"

namespace kelvara {

bool ListFile::Open(const std::filesystem::path& file) {
    if (IsDirectory(file)) return false;
    in_.open(file, std::ios::binary);
    return in_.is_open();
}

bool ListFile::ReadName(std::string& name) {
    name.clear();
    if (!in_.is_open() || in_.peek() == std::ifstream::traits_type::eof()) return false;
    std::getline(in_, name);
    const bool endedByLineFeed = !in_.eof();
    if (endedByLineFeed && !name.empty() && name.back() == '\r') name.pop_back();
    return true;
}

}  // namespace kelvara
