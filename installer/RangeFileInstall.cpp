#include "RangeFileInstall.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "io/TemporaryFile.h"
#include "io/WindowsDirectory.h"

namespace kelvara::installer {

namespace {

namespace fs = std::filesystem;

std::string Failure(const char* what, const fs::path& file, const std::string& reason) {
    return std::string(what) + " " + file.string() + ": " + reason;
}

std::string ErrorText(int errorNumber) { return std::generic_category().message(errorNumber); }

// Why the source cannot be copied, in the system's words; empty when it can.
std::string SourceProblem(const fs::path& source) {
    std::error_code error;
    const auto status = fs::status(source, error);
    if (status.type() == fs::file_type::not_found) return ErrorText(ENOENT);
    if (error) return error.message();
    if (status.type() == fs::file_type::directory) return ErrorText(EISDIR);
    if (status.type() != fs::file_type::regular) return "not a regular file";
    return {};
}

// Copies the source's bytes into the open temporary. Empty on success.
std::string CopyInto(const fs::path& source, std::FILE* out) {
    errno = 0;
    std::FILE* in = std::fopen(source.string().c_str(), "rb");
    if (in == nullptr) return Failure("cannot read", source, ErrorText(errno != 0 ? errno : EACCES));
    char buffer[1 << 14];
    std::string problem;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got < sizeof buffer && std::ferror(in) != 0) {
            problem = Failure("cannot read", source, ErrorText(errno != 0 ? errno : EIO));
            break;
        }
        if (std::fwrite(buffer, 1, got, out) != got) {
            problem = Failure("cannot write beside", source, ErrorText(errno != 0 ? errno : EIO));
            break;
        }
        if (got < sizeof buffer) break;
    }
    std::fclose(in);
    return problem;
}

}  // namespace

std::string InstallRangeFile(const fs::path& source, const fs::path& directory) {
    if (const std::string problem = SourceProblem(source); !problem.empty()) {
        return Failure("cannot read", source, problem);
    }
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) return Failure("cannot create the directory", directory, error.message());

    // Written under a fresh name beside the target, created exclusively (a
    // link planted there is never followed), then renamed over the target:
    // a copy that fails halfway never leaves a truncated range.ini.
    const fs::path target = RangeFileIn(directory);
    TemporaryFile temporary;
    if (!temporary.Create(target)) return Failure("cannot write in", directory, ErrorText(temporary.LastError()));
    if (const std::string problem = CopyInto(source, temporary.Stream()); !problem.empty()) return problem;
    if (!temporary.Commit()) return Failure("cannot replace", target, ErrorText(temporary.LastError()));
    return {};
}

}  // namespace kelvara::installer
