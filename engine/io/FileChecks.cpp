#include "io/FileChecks.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "io/FileNames.h"

namespace kelvara {

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    return !error && same;
}

bool IsDirectory(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_directory(file, error);
}

bool IsRegularFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

bool IsSpecialFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file, error) && !IsRegularFile(file);
}

bool IsReadableFile(const std::filesystem::path& file) {
    if (!IsRegularFile(file)) return false;
    std::FILE* stream = OpenFile(file, "rb");
    if (stream == nullptr) return false;
    std::fclose(stream);
    return true;
}

int ReasonCannotReplace(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return 0;
    if (status.type() == std::filesystem::file_type::directory) return EISDIR;
    if (status.type() != std::filesystem::file_type::regular) return EINVAL;
    errno = 0;
    std::FILE* probe = OpenFile(file, "r+b");  // opens without truncating
    if (probe == nullptr) return errno != 0 ? errno : EACCES;
    std::fclose(probe);
    return 0;
}

std::string SystemErrorText(int errorNumber) {
    if (errorNumber == kDamagedCompression) return "the gzip-compressed data is damaged or cut short";
    return std::generic_category().message(errorNumber);
}

std::string ReasonCannotRead(const std::filesystem::path& file) {
    if (IsDirectory(file)) return SystemErrorText(EISDIR);
    std::error_code existence;
    if (std::filesystem::exists(file, existence) && !IsRegularFile(file)) return "not a regular file";
    errno = 0;
    std::FILE* stream = OpenFile(file, "rb");
    const int error = errno;
    if (stream != nullptr) {
        std::fclose(stream);
        return "cannot be read";
    }
    return error != 0 ? SystemErrorText(error) : "cannot be opened";
}

}  // namespace kelvara
