#pragma once
// Placing the shipped range.ini in the Windows directory.

#include <filesystem>
#include <string>

namespace kelvara::installer {

// Copies source byte for byte to directory/range.ini, creating the directory
// when missing and replacing an existing file. Empty on success, else one
// line naming the file and the reason.
std::string InstallRangeFile(const std::filesystem::path& source, const std::filesystem::path& directory);

}  // namespace kelvara::installer
