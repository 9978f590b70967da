#pragma once
// A batch's list file: one raw file name per line.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvara {

// No path a system takes is longer; the rest of such a line is skipped
// unstored, so a line with no end costs no memory.
inline constexpr std::size_t kMaxListNameLength = 4096;

struct ListNames {
    enum class Status { Read, CannotOpen, ReadFailed };
    Status status = Status::Read;
    // Every line without its line end (a CR before the LF is dropped); an
    // empty line is an empty name, an empty list has none.
    std::vector<std::string> names;
    int error = 0;  // the errno of a failed read: the rest of the list is unknown
};

ListNames ReadListNames(const std::filesystem::path& file);

}  // namespace kelvara
