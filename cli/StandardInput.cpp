#include "StandardInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "io/FileChecks.h"
#include "io/FileNames.h"

namespace kelvara::cli {

namespace {

// A new file of its own in the temporary folder; null after the last errno.
std::FILE* CreateUnique(std::filesystem::path& path, int& error) {
    std::error_code folderError;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(folderError);
    if (folderError) {
        error = folderError.value();
        return nullptr;
    }
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder / ("kelvara-stdin-" + std::to_string(random() % 1000000000000ULL) + ".dat");
        errno = 0;
        // "x": never an existing file, nor one another program put there meanwhile.
        if (std::FILE* file = OpenFile(path, "wbx")) return file;
        error = errno != 0 ? errno : EIO;
        if (error != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // namespace

StandardInputCopy::~StandardInputCopy() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove(path_, ignored);
}

bool StandardInputCopy::Replace(std::vector<std::string>& files, std::string& problem) {
    const auto count = std::count(files.begin(), files.end(), kStandardInputName);
    if (count == 0) return true;
    if (count > 1) {
        problem = "-: standard input can be read only once";
        return false;
    }
    int error = 0;
    std::FILE* copy = CreateUnique(path_, error);
    if (copy == nullptr) {
        problem = "-: no temporary copy of standard input: " + SystemErrorText(error);
        path_.clear();
        return false;
    }
    static char buffer[1 << 16];
    bool failed = false;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) {
        if (std::fwrite(buffer, 1, got, copy) != got) {
            failed = true;
            error = errno;
            break;
        }
    }
    if (std::ferror(stdin) != 0) {
        failed = true;
        problem = "-: " + SystemErrorText(errno != 0 ? errno : EIO);
    }
    if (std::fclose(copy) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (failed) {
        if (problem.empty())
            problem = "-: no temporary copy of standard input: " + SystemErrorText(error ? error : EIO);
        return false;
    }
    name_ = path_.string();
    std::replace(files.begin(), files.end(), std::string(kStandardInputName), name_);
    return true;
}

}  // namespace kelvara::cli
