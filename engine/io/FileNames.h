#pragma once
// File names typed by the user (UTF-8 text), and opening the files they name.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvara {

std::filesystem::path PathFromText(std::string_view text);

// A C stream on a path of any encoding ("rb", "wb", ...); nullptr on failure.
std::FILE* OpenFile(const std::filesystem::path& file, const char* mode);

// What OpenFile opens streams with. Tests put in one that gives streams
// failing on demand, to see read errors handled as errors; returns the
// opener it replaces.
using StreamOpener = std::FILE* (*)(const std::filesystem::path& file, const char* mode);
StreamOpener SetStreamOpener(StreamOpener opener);

}  // namespace kelvara
