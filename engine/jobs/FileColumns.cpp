#include "jobs/FileColumns.h"

#include "io/FileNames.h"
#include "jobs/JobMessages.h"

namespace kelvara {

std::optional<std::vector<ColumnLayout>> FindFileColumns(const InputFormat& format,
                                                         const std::vector<std::string>& files, JobPort& port) {
    std::vector<ColumnLayout> layouts(files.size());
    if (format.ReadsByPosition()) return layouts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string description;
        std::string problem;
        switch (ResolveFileColumns(PathFromText(files[i]), format, layouts[i], description, problem)) {
            case ColumnCheck::Refused:
                Show(port, JobMessage{files[i] + ": " + problem, kColumnsRefusedTitle, MessageIcon::Exclamation});
                return std::nullopt;
            case ColumnCheck::ReadFailed:
                port.ExplainFailure(files[i], problem);
                Show(port, messages::kCannotReadRaw);
                return std::nullopt;
            case ColumnCheck::CannotOpen:
                layouts[i] = ColumnLayout{};
                break;
            case ColumnCheck::Resolved:
                port.ShowInputColumns(files[i], description);
                break;
        }
    }
    return layouts;
}

}  // namespace kelvara
