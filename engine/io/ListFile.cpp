#include "io/ListFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The next line into name; false at the end of the file before any
// character, or when a read failed.
bool ReadName(std::FILE* in, std::string& name) {
    name.clear();
    int c = std::getc(in);
    if (c == EOF) return false;
    std::size_t length = 0;  // the whole line's, kept or not
    int last = 0;
    for (; c != EOF && c != '\n'; c = std::getc(in)) {
        if (++length <= kMaxListNameLength) name.push_back(static_cast<char>(c));
        last = c;
    }
    const bool endedByLineFeed = c == '\n';
    if (endedByLineFeed && last == '\r' && length == name.size()) name.pop_back();
    return true;
}

}  // namespace

ListNames ReadListNames(const std::filesystem::path& file) {
    ListNames list;
    // A pipe would block in the open, a device never end.
    std::unique_ptr<std::FILE, FileCloser> in(IsRegularFile(file) ? OpenFile(file, "rb") : nullptr);
    if (!in) {
        list.status = ListNames::Status::CannotOpen;
        return list;
    }
    errno = 0;
    std::string name;
    while (ReadName(in.get(), name)) list.names.push_back(name);
    // A read error is no end of the list: the names after it are unknown.
    if (std::ferror(in.get()) != 0) {
        list.status = ListNames::Status::ReadFailed;
        list.error = errno != 0 ? errno : EIO;
    }
    return list;
}

}  // namespace kelvara
