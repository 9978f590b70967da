#pragma once
// File names typed by the user (UTF-8 text) and the checks made on them.

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace kelvara {

std::filesystem::path PathFromText(std::string_view text);

// A C stream on a path of any encoding ("rb", "wb", ...); nullptr on failure.
std::FILE* OpenFile(const std::filesystem::path& file, const char* mode);

// True when both name one existing file, however spelled (links too).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A directory opens as a stream on some platforms, so every reader asks first.
bool IsDirectory(const std::filesystem::path& file);

// Exists, is no directory, and opens for reading.
bool IsReadableFile(const std::filesystem::path& file);

}  // namespace kelvara
