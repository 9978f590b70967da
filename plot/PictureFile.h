#pragma once
// A quick-look picture written whole: under a temporary name beside the
// target, renamed into place once drawn.

#include <filesystem>
#include <optional>
#include <string>

#include "QuickLook.h"

namespace kelvara::plot {

// The format a picture file's extension names (.png or .svg, any case).
std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& file);

// Empty when the picture is in place, else the system's reason.
std::string WritePictureFile(const QuickLook& look, const std::filesystem::path& file, PictureFormat format,
                             PictureSize size);

}  // namespace kelvara::plot
