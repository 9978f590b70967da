// Dovrel: run once at installation to place the shipped range.ini (from the
// current directory) in the Windows directory, where Kelvara reads it.
// No arguments; silent on success; exit status 0 whatever happens, as
// installers that call it expect.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "RangeFileInstall.h"
#include "io/WindowsDirectory.h"

int main() {
    try {
        // Named in full so a failure message says which directory was meant.
        std::error_code ignored;
        std::filesystem::path source = std::filesystem::absolute(kelvara::kRangeFileName, ignored);
        if (source.empty()) source = kelvara::kRangeFileName;
        const std::string failure = kelvara::installer::InstallRangeFile(source, kelvara::WindowsDirectory());
        if (!failure.empty()) std::fprintf(stderr, "Dovrel: %s\n", failure.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Dovrel: cannot install %s: %s\n", kelvara::kRangeFileName, error.what());
    }
    return 0;
}
