#include "jobs/InputColumns.h"

#include "io/FileNames.h"
#include "io/ListFile.h"

namespace kelvara {

bool PrepareColumns(const InputFormat& format, const std::vector<std::string>& files, JobPort& port,
                    std::vector<ColumnLayout>& layouts, std::string& refusal) {
    layouts.assign(files.size(), ColumnLayout{});
    if (format.IsDefaultLayout()) return true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string description;
        std::string problem;
        switch (ResolveFileColumns(PathFromText(files[i]), format, layouts[i], description, problem)) {
            case ColumnCheck::Refused:
                refusal = files[i] + ": " + problem;
                return false;
            case ColumnCheck::CannotOpen:
                layouts[i] = ColumnLayout{};
                break;
            case ColumnCheck::Resolved:
                port.ShowInputColumns(files[i], description);
                break;
        }
    }
    return true;
}

std::vector<std::string> ListedNames(const std::filesystem::path& listFile) {
    std::vector<std::string> names;
    ListFile list;
    if (!list.Open(listFile)) return names;
    std::string name;
    list.ReadName(name);
    do names.push_back(name);
    while (list.ReadName(name));
    return names;
}

}  // namespace kelvara
