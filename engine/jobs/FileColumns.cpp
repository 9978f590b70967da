#include "jobs/FileColumns.h"

#include <map>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/HeaderFields.h"
#include "jobs/JobMessages.h"

namespace kelvara {

namespace {

// The layout resolved for one header, and the files that share it.
struct HeaderColumns {
    ColumnLayout layout;
    std::string description;
    std::string firstFile;
    std::size_t files = 0;
};

}  // namespace

std::optional<std::vector<ColumnLayout>> FindFileColumns(const InputFormat& format,
                                                         const std::vector<std::string>& files, JobPort& port) {
    std::vector<ColumnLayout> layouts(files.size());
    if (format.ReadsByPosition()) return layouts;
    // A year of files shares a handful of headers: each is resolved and told once.
    std::map<std::string, HeaderColumns> byHeader;
    std::vector<const HeaderColumns*> told;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::vector<std::string> lines;
        int readError = 0;
        switch (ReadHeaderLines(PathFromText(files[i]), lines, readError)) {
            case HeaderRead::CannotOpen:
                continue;  // the default layout: the job's own opening reports the file
            case HeaderRead::ReadFailed:
                port.ExplainFailure(files[i], SystemErrorText(readError));
                Show(port, messages::kCannotReadRaw);
                return std::nullopt;
            case HeaderRead::Read:
                break;
        }
        const std::string key = lines[kNamesLine] + '\n' + lines[kUnitsLine];
        auto [found, isNew] = byHeader.try_emplace(key);
        HeaderColumns& columns = found->second;
        if (isNew) {
            std::string problem;
            if (!ResolveColumns(format, lines, columns.layout, columns.description, problem)) {
                Show(port, JobMessage{files[i] + ": " + problem, kColumnsRefusedTitle, MessageIcon::Exclamation});
                return std::nullopt;
            }
            columns.firstFile = files[i];
            // A file that detection left to the default layout reads as it always did: nothing to tell.
            if (columns.layout.mapped) told.push_back(&columns);
        }
        ++columns.files;
        layouts[i] = columns.layout;
    }
    for (const HeaderColumns* columns : told) {
        const std::size_t others = columns->files - 1;
        const std::string shared = others == 0   ? ""
                                   : others == 1 ? "; the same for 1 more file"
                                                 : "; the same for " + std::to_string(others) + " more files";
        port.ShowInputColumns(columns->firstFile, columns->description + shared);
    }
    return layouts;
}

}  // namespace kelvara
