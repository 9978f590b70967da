#pragma once
// A quick-look picture written whole: drawn in memory, written under a
// temporary name beside the target with every write and the close checked,
// and renamed into place only then.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "QuickLook.h"

namespace kelvara::plot {

// The format a picture file's extension names (.png or .svg, any case).
std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& file);

// Empty when the picture is in place, else the reason; the file is then as
// it was.
std::string WritePictureFile(const QuickLook& look, const std::filesystem::path& file, PictureFormat format,
                             PictureSize size);

// The same for bytes already drawn.
std::string WritePictureBytes(std::string_view bytes, const std::filesystem::path& file);

}  // namespace kelvara::plot
