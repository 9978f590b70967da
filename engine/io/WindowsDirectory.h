#pragma once
// Where range.ini lives. The desktop program and the installer both compile
// this header (the installer links the standard library only), so the rule
// exists once.
//
// WINDIR when it is set; on platforms without one, $XDG_CONFIG_HOME/kelvara,
// else $HOME/.config/kelvara. An empty value, or a relative XDG_CONFIG_HOME,
// counts as unset.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kelvara {

inline const char* NonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

inline std::filesystem::path WindowsDirectory() {
    if (const char* windir = NonEmptyEnvironment("WINDIR")) return std::filesystem::path(windir);
    if (const char* xdg = NonEmptyEnvironment("XDG_CONFIG_HOME")) {
        std::filesystem::path base(xdg);
        if (base.is_absolute()) return base / "kelvara";
    }
    if (const char* home = NonEmptyEnvironment("HOME")) {
        return std::filesystem::path(home) / ".config" / "kelvara";
    }
    if (const char* profile = NonEmptyEnvironment("USERPROFILE")) {
        return std::filesystem::path(profile) / ".config" / "kelvara";
    }
    // Nowhere better to go: the current directory.
    return std::filesystem::path(".");
}

inline constexpr const char* kRangeFileName = "range.ini";

inline std::filesystem::path RangeFileIn(const std::filesystem::path& directory) { return directory / kRangeFileName; }

}  // namespace kelvara
