#include "PlotCommand.h"

#include <cerrno>
#include <charconv>
#include <variant>

#include "PictureFile.h"
#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "jobs/InputGuard.h"

namespace kelvara::cli {

namespace {

constexpr int kFinished = 0;
constexpr int kFailed = 1;

}  // namespace

std::optional<plot::PictureFormat> PictureFormatOf(const std::string& output) {
    return plot::PictureFormatOf(PathFromText(output));
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

namespace {

// Why the picture may not go where the user named it: one of the files to
// plot (however spelled), or something that is not a regular file.
std::string OutputProblem(const PlotRequest& request) {
    const std::filesystem::path output = PathFromText(request.output);
    std::vector<std::filesystem::path> inputs;
    for (const std::string& file : request.files) inputs.push_back(PathFromText(file));
    if (NamesAnInput(output, inputs)) return "is one of the results files to plot: name another picture file";
    const int reason = ReasonCannotReplace(output);
    if (reason == EINVAL) return "not a regular file";
    return reason != 0 ? SystemErrorText(reason) : std::string();
}

}  // namespace

int RunPlot(const PlotRequest& request, std::FILE* errors) {
    if (const std::string problem = OutputProblem(request); !problem.empty()) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", request.output.c_str(), problem.c_str());
        return kFailed;
    }
    std::vector<plot::ResultsFileTable> tables;
    for (const std::string& file : request.files) {
        auto table = plot::ReadResultsTable(PathFromText(file));
        if (const auto* problem = std::get_if<std::string>(&table)) {
            std::fprintf(errors, "kelvara-cli: %s: %s\n", file.c_str(), problem->c_str());
            return kFailed;
        }
        tables.push_back({PathFromText(file), std::move(std::get<plot::ResultsTable>(table))});
    }
    auto series = plot::SeriesOfFiles(std::move(tables));
    if (const auto* problem = std::get_if<std::string>(&series)) {
        std::fprintf(errors, "kelvara-cli: plot: %s\n", problem->c_str());
        return kFailed;
    }
    auto& lines = std::get<std::vector<plot::PlotSeries>>(series);
    if (lines.empty()) {
        std::fprintf(errors, "kelvara-cli: no half hour to plot: the results files hold only their header\n");
        return kFailed;
    }
    const plot::PictureSize size = request.sizeText.empty() ? plot::PictureSize{} : *PictureSizeOf(request.sizeText);
    const plot::QuickLook look(std::move(lines));
    const std::string problem =
        plot::WritePictureFile(look, PathFromText(request.output), *PictureFormatOf(request.output), size);
    if (!problem.empty()) {
        std::fprintf(errors, "kelvara-cli: %s: %s\n", request.output.c_str(), problem.c_str());
        return kFailed;
    }
    return kFinished;
}

}  // namespace kelvara::cli
