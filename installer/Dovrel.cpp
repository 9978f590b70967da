// Dovrel: run once at installation to place the shipped range.ini (from the
// current directory) in the Windows directory, where Kelvara reads it.
// Silent on success; one line when it keeps the user's earlier range.ini or
// when it fails. Exit status 0 whatever happens, as installers that call it
// expect; --help and --version answer and change nothing.

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "RangeFileInstall.h"
#include "Version.h"
#include "io/WindowsDirectory.h"

namespace {

constexpr const char* kUsage =
    "Usage: Dovrel\n"
    "Places the shipped range limits file range.ini, from the current folder, where\n"
    "Kelvara reads it: the folder named by WINDIR, else $XDG_CONFIG_HOME/kelvara,\n"
    "else ~/.config/kelvara. An installed range.ini that differs from the shipped one\n"
    "is kept as range.ini.bak first. The exit status is always 0.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

// The answer to --help or --version as the only argument; nullptr for
// anything else, which is ignored as it always was.
const char* InfoAnswer(int argc, char** argv) {
    if (argc != 2) return nullptr;
    if (std::strcmp(argv[1], "--help") == 0) return kUsage;
    if (std::strcmp(argv[1], "--version") == 0) return "Dovrel " KELVARA_VERSION "\n";
    return nullptr;
}

void Install() {
    // Named in full so a failure message says which file was meant.
    std::error_code ignored;
    std::filesystem::path source = std::filesystem::absolute(kelvara::kRangeFileName, ignored);
    if (source.empty()) source = kelvara::kRangeFileName;
    const auto report = kelvara::installer::InstallRangeFile(source, kelvara::WindowsDirectory());
    if (!report.backup.empty()) {
        std::printf("Dovrel: kept the earlier range.ini, which differed from the shipped one, as %s\n",
                    report.backup.string().c_str());
    }
    if (!report.failure.empty()) std::fprintf(stderr, "Dovrel: %s\n", report.failure.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* answer = InfoAnswer(argc, argv)) {
        std::fputs(answer, stdout);
        return 0;
    }
    try {
        Install();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Dovrel: cannot install %s: %s\n", kelvara::kRangeFileName, error.what());
    }
    return 0;
}
