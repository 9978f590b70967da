#pragma once
// Placing the shipped range.ini in the Windows directory.

#include <filesystem>
#include <string>

namespace kelvara::installer {

struct InstallReport {
    std::string failure;           // empty on success, else one line naming the file and the reason
    std::filesystem::path backup;  // where an installed range.ini that differed was kept; empty if none
};

// Copies source byte for byte to directory/range.ini, creating the directory
// when missing. An installed range.ini that differs from source (edited by
// the user, say) is first kept as range.ini.bak, replacing an older one; if
// that fails, nothing is replaced.
InstallReport InstallRangeFile(const std::filesystem::path& source, const std::filesystem::path& directory);

// range.ini.bak beside the installed file.
std::filesystem::path BackupOf(const std::filesystem::path& target);

}  // namespace kelvara::installer
