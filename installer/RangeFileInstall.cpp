#include "RangeFileInstall.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Copies the source's bytes into the open temporary of target. Empty on
// success.
std::string CopyInto(const fs::path& source, std::FILE* out, const fs::path& target) {
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
            problem = Failure("cannot write", target, ErrorText(errno != 0 ? errno : EIO));
            break;
        }
        if (got < sizeof buffer) break;
    }
    std::fclose(in);
    return problem;
}

// Writes the bytes of source to target, under a fresh name beside it that
// is renamed over it only when whole. Empty on success.
std::string CopyWhole(const fs::path& source, const fs::path& target) {
    TemporaryFile temporary;
    if (!temporary.Create(target))
        return Failure("cannot write in", target.parent_path(), ErrorText(temporary.LastError()));
    if (const std::string problem = CopyInto(source, temporary.Stream(), target); !problem.empty()) return problem;
    if (!temporary.Commit()) return Failure("cannot replace", target, ErrorText(temporary.LastError()));
    return {};
}

// Whether both files hold the same bytes; false when either cannot be read.
bool SameBytes(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const auto size = fs::file_size(a, error);
    if (error || size != fs::file_size(b, error) || error) return false;
    std::FILE* first = std::fopen(a.string().c_str(), "rb");
    std::FILE* second = first != nullptr ? std::fopen(b.string().c_str(), "rb") : nullptr;
    bool same = second != nullptr;
    char bufferA[1 << 12], bufferB[1 << 12];
    while (same) {
        const std::size_t gotA = std::fread(bufferA, 1, sizeof bufferA, first);
        const std::size_t gotB = std::fread(bufferB, 1, sizeof bufferB, second);
        same = gotA == gotB && std::memcmp(bufferA, bufferB, gotA) == 0 && std::ferror(first) == 0 &&
               std::ferror(second) == 0;
        if (gotA < sizeof bufferA) break;
    }
    if (first != nullptr) std::fclose(first);
    if (second != nullptr) std::fclose(second);
    return same;
}

}  // namespace

fs::path BackupOf(const fs::path& target) {
    fs::path backup = target;
    return backup += ".bak";
}

InstallReport InstallRangeFile(const fs::path& source, const fs::path& directory) {
    if (const std::string problem = SourceProblem(source); !problem.empty()) {
        return {Failure("cannot read", source, problem), {}};
    }
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) return {Failure("cannot create the directory", directory, error.message()), {}};

    // Each file is written under a fresh name beside its place, created
    // exclusively (a link planted there is never followed), then renamed
    // over it: a copy that fails halfway never leaves a truncated file.
    const fs::path target = RangeFileIn(directory);
    InstallReport report;
    // The user's own limits are never lost: kept before they are replaced.
    if (fs::is_regular_file(target, error) && !SameBytes(source, target)) {
        if (const std::string problem = CopyWhole(target, BackupOf(target)); !problem.empty()) {
            return {problem + "; " + target.string() + " is left as it was", {}};
        }
        report.backup = BackupOf(target);
    }
    report.failure = CopyWhole(source, target);
    return report;
}

}  // namespace kelvara::installer
