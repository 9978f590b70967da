#include "PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "io/FileChecks.h"
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
    const std::string bytes = look.Encode(format, size);
    if (bytes.empty()) return "the picture could not be drawn";
    return WritePictureBytes(bytes, file);
}

std::string WritePictureBytes(std::string_view bytes, const std::filesystem::path& file) {
    TemporaryFile picture;
    if (!picture.Create(file)) return SystemErrorText(picture.LastError());
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), picture.Stream()) != bytes.size()) {
        const int error = errno != 0 ? errno : EIO;
        picture.Abandon();
        return SystemErrorText(error);
    }
    // Closing flushes the last bytes: a full disk often shows only there.
    if (!picture.Commit()) return SystemErrorText(picture.LastError());
    return {};
}

}  // namespace kelvara::plot
