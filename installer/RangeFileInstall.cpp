#include "RangeFileInstall.h"

#include <system_error>

#include "io/WindowsDirectory.h"

namespace kelvara::installer {

namespace {

namespace fs = std::filesystem;

std::string Failure(const char* what, const fs::path& file, const std::error_code& error) {
    return std::string(what) + " " + file.string() + ": " + error.message();
}

}  // namespace

std::string InstallRangeFile(const fs::path& source, const fs::path& directory) {
    std::error_code error;
    if (!fs::is_regular_file(source, error)) {
        if (!error) error = std::make_error_code(fs::exists(source) ? std::errc::is_a_directory
                                                                    : std::errc::no_such_file_or_directory);
        return Failure("cannot read", source, error);
    }
    fs::create_directories(directory, error);
    if (error) return Failure("cannot create the directory", directory, error);

    // Copy beside the target, then rename over it: a copy that fails halfway
    // never leaves a truncated range.ini for the desktop program to read.
    const fs::path target = RangeFileIn(directory);
    fs::path partial = target;
    partial += ".partial";
    fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return Failure("cannot write", partial, error);
    }
    fs::rename(partial, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return Failure("cannot replace", target, error);
    }
    return {};
}

}  // namespace kelvara::installer
