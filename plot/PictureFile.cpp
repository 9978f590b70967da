#include "PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "io/FileNames.h"
#include "io/TemporaryFile.h"

namespace kelvara::plot {

std::optional<PictureFormat> PictureFormatOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") return PictureFormat::Png;
    if (extension == ".svg") return PictureFormat::Svg;
    return std::nullopt;
}

std::string WritePictureFile(const QuickLook& look, const std::filesystem::path& file, PictureFormat format,
                             PictureSize size) {
    TemporaryFile picture;
    if (!picture.Create(file)) return SystemErrorText(picture.LastError());
    // The drawing opens the temporary by its name and closes it when done.
    look.Write(picture.Temporary(), format, size);
    std::error_code error;
    const bool drawn = std::filesystem::file_size(picture.Temporary(), error) > 0 && !error;
    if (drawn && picture.Commit()) return {};
    return SystemErrorText(picture.LastError() != 0 ? picture.LastError() : EIO);
}

}  // namespace kelvara::plot
