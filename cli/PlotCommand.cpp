#include "PlotCommand.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <variant>

#include "io/FileNames.h"
#include "io/TemporaryFile.h"

namespace kelvara::cli {

namespace {

constexpr int kFinished = 0;
constexpr int kFailed = 1;

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The files' names, as many as read well in a title.
std::string TitleOf(const std::vector<std::string>& files) {
    const auto name = [](const std::string& file) { return PathFromText(file).filename().string(); };
    if (files.size() == 1) return name(files.front());
    if (files.size() <= 3) {
        std::string title = name(files.front());
        for (std::size_t i = 1; i < files.size(); ++i) title += ", " + name(files[i]);
        return title;
    }
    return name(files.front()) + " ... " + name(files.back()) + " (" + std::to_string(files.size()) + " files)";
}

}  // namespace

std::optional<plot::PictureFormat> PictureFormatOf(const std::string& output) {
    const std::string extension = Lowercase(PathFromText(output).extension().string());
    if (extension == ".png") return plot::PictureFormat::Png;
    if (extension == ".svg") return plot::PictureFormat::Svg;
    return std::nullopt;
}

std::optional<plot::PictureSize> PictureSizeOf(const std::string& text) {
    plot::PictureSize size;
    const char* end = text.data() + text.size();
    const auto [afterWidth, widthError] = std::from_chars(text.data(), end, size.width);
    if (widthError != std::errc() || afterWidth == end || (*afterWidth != 'x' && *afterWidth != 'X')) {
        return std::nullopt;
    }
    const auto [afterHeight, heightError] = std::from_chars(afterWidth + 1, end, size.height);
    if (heightError != std::errc() || afterHeight != end) return std::nullopt;
    for (int side : {size.width, size.height}) {
        if (side < plot::kMinimumPictureSide || side > plot::kMaximumPictureSide) return std::nullopt;
    }
    return size;
}

int RunPlot(const PlotRequest& request, std::FILE* errors) {
    std::vector<plot::ResultsTable> tables;
    for (const std::string& file : request.files) {
        auto table = plot::ReadResultsTable(PathFromText(file));
        if (const auto* problem = std::get_if<std::string>(&table)) {
            const std::string reason =
                *problem == "cannot be opened" ? ReasonCannotRead(PathFromText(file)) : *problem;
            std::fprintf(errors, "kelvara-cli: %s: %s\n", file.c_str(), reason.c_str());
            return kFailed;
        }
        tables.push_back(std::move(std::get<plot::ResultsTable>(table)));
    }
    plot::ResultsTable merged = plot::MergeTables(std::move(tables));
    if (merged.rows.empty()) {
        std::fprintf(errors, "kelvara-cli: no half hour to plot: the results files hold only their header\n");
        return kFailed;
    }
    const plot::PictureSize size = request.sizeText.empty() ? plot::PictureSize{} : *PictureSizeOf(request.sizeText);
    const plot::QuickLook look(std::move(merged), TitleOf(request.files));

    // Drawn under a temporary name and renamed into place: no half picture.
    TemporaryFile picture;
    const auto target = PathFromText(request.output);
    if (!picture.Create(target)) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", request.output.c_str(),
                     SystemErrorText(picture.LastError()).c_str());
        return kFailed;
    }
    look.Write(picture.Temporary(), *PictureFormatOf(request.output), size);
    std::error_code error;
    if (std::filesystem::file_size(picture.Temporary(), error) == 0 || error || !picture.Commit()) {
        const int reason = picture.LastError() != 0 ? picture.LastError() : EIO;
        std::fprintf(errors, "kelvara-cli: %s: %s\n", request.output.c_str(), SystemErrorText(reason).c_str());
        return kFailed;
    }
    return kFinished;
}

}  // namespace kelvara::cli
