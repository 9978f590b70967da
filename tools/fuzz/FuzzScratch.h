#pragma once
// The scratch files of one fuzzing process: a folder of its own, so that
// fuzzers running side by side never touch each other's files, and
// whole-file helpers to build inputs and check them after.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace kelvara::fuzz {

namespace fs = std::filesystem;

// Where scratch folders go: TMPDIR when set, else /dev/shm when the system
// has it, else the temporary directory. The targets rewrite their files on
// every run, and a disk file system may write each rewrite through (ext4
// does for a file truncated and written again); in memory a run is several
// times faster.
inline fs::path ScratchBase() {
    std::error_code error;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error)) return "/dev/shm";
    return fs::temp_directory_path();
}

constexpr std::string_view kScratchPrefix = "kelvara-fuzz-";

// A process that stops at a finding (or is killed) leaves its folder, since
// its input replays it anyway. Folders of processes that no longer run go
// when the next fuzzer starts; a reused process id only delays that.
inline void RemoveFoldersOfEndedProcesses(const fs::path& base) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(base, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kScratchPrefix) || !entry.is_directory(error)) continue;
        // kelvara-fuzz-NAME-PID-RANDOM
        const std::size_t last = name.rfind('-');
        const std::size_t before =
            last == std::string::npos || last == 0 ? std::string::npos : name.rfind('-', last - 1);
        if (before == std::string::npos) continue;
        const long pid = std::strtol(name.c_str() + before + 1, nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fs::remove_all(entry.path(), error);
    }
}

class ScratchFolder {
public:
    // BASE/kelvara-fuzz-NAME-PID-RANDOM, created here and nowhere else.
    explicit ScratchFolder(std::string_view name) {
        const fs::path base = ScratchBase();
        RemoveFoldersOfEndedProcesses(base);
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[48];
            std::snprintf(suffix, sizeof suffix, "-%ld-%08x%08x", static_cast<long>(getpid()), entropy(), entropy());
            const fs::path candidate = base / (std::string(kScratchPrefix) + std::string(name) + suffix);
            std::error_code error;
            if (fs::create_directory(candidate, error)) {
                path_ = candidate;
                return;
            }
        }
        std::fprintf(stderr, "cannot create a scratch folder in %s\n", base.c_str());
        std::abort();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& Path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }

    // Removes everything inside, keeping the folder.
    void Clear() const {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(path_, ignored)) fs::remove_all(entry.path(), ignored);
    }

private:
    fs::path path_;
};

// The current folder for the object's lifetime: the jobs read relative
// names (an empty list line among them) from there.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path previous_;
};

inline void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", file.c_str());
        std::abort();
    }
}

// The bytes of a regular file (through links), or nothing.
inline std::optional<std::string> ReadFile(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry of a folder (not descending): name -> bytes for regular files,
// "<folder>" or "<other>" for the rest.
inline std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (auto bytes = ReadFile(entry.path())) {
            entries[name] = std::move(*bytes);
        } else {
            entries[name] = fs::is_directory(entry.path(), ignored) ? "<folder>" : "<other>";
        }
    }
    return entries;
}

}  // namespace kelvara::fuzz
