#include "io/ListFile.h"

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara {

bool ListFile::Open(const std::filesystem::path& file) {
    Close();
    // A pipe would block in the open, a device never end.
    if (!IsRegularFile(file)) return false;
    in_ = OpenFile(file, "rb");
    return in_ != nullptr;
}

void ListFile::Close() {
    if (in_ != nullptr) std::fclose(in_);
    in_ = nullptr;
}

bool ListFile::ReadName(std::string& name) {
    name.clear();
    if (in_ == nullptr) return false;
    int c = std::getc(in_);
    if (c == EOF) return false;
    std::size_t length = 0;  // the whole line's, kept or not
    int last = 0;
    for (; c != EOF && c != '\n'; c = std::getc(in_)) {
        if (++length <= kMaxNameLength) name.push_back(static_cast<char>(c));
        last = c;
    }
    const bool endedByLineFeed = c == '\n';
    if (endedByLineFeed && last == '\r' && length == name.size()) name.pop_back();
    return true;
}

std::optional<std::vector<std::string>> ReadListNames(const std::filesystem::path& file) {
    ListFile list;
    if (!list.Open(file)) return std::nullopt;
    std::vector<std::string> names;
    std::string name;
    while (list.ReadName(name)) names.push_back(name);
    return names;
}

}  // namespace kelvara
