#include "io/ColumnsBeyondLines.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "io/FileNames.h"
#include "io/HeaderFields.h"
#include "io/InputFormat.h"
#include "io/LineFields.h"
#include "io/RawRecord.h"

namespace kelvara {

namespace {

constexpr std::int64_t kLinesLooked = 100000;

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};

// The next line without its line end; false at the end with nothing read.
bool ReadLine(std::FILE* stream, std::string& line) {
    line.clear();
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, stream) != nullptr) {
        line += buffer;
        if (line.back() == '\n') {
            line.pop_back();
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return !line.empty() || !(std::feof(stream) || std::ferror(stream));
}

// The fewest and most columns of the record lines, blank ones left out.
struct LineWidths {
    int fewest = kMaxMappedColumns;
    int most = -1;
};

// Nothing when a line has `needed` columns, when there is no record line,
// or when a read fails.
std::optional<LineWidths> MeasureRecordLines(const std::filesystem::path& file, int needed) {
    const std::unique_ptr<std::FILE, FileCloser> stream(OpenFile(file, "rb"));
    if (!stream) return std::nullopt;
    std::vector<LineField> fields(static_cast<std::size_t>(needed));
    LineWidths widths;
    std::string line;
    for (std::int64_t n = 0; n < kHeaderLineCount + kLinesLooked && ReadLine(stream.get(), line); ++n) {
        if (n < kHeaderLineCount || line.empty()) continue;
        const int count = SplitLineFields(line.data(), line.data() + line.size(), fields.data(), needed);
        if (count >= needed) return std::nullopt;
        widths.fewest = std::min(widths.fewest, count);
        widths.most = std::max(widths.most, count);
    }
    if (std::ferror(stream.get()) != 0 || widths.most < 0) return std::nullopt;
    return widths;
}

// "\"diag\" (status, column 12)", or "12 (status)" for a column the header
// does not name.
std::string Described(int target, int column, const std::vector<std::string>& names) {
    const std::string number = std::to_string(column + 1);
    const std::string targetName = std::string(MapTargetName(target));
    const auto index = static_cast<std::size_t>(column);
    if (index < names.size() && !names[index].empty()) {
        return "\"" + names[index] + "\" (" + targetName + ", column " + number + ")";
    }
    return number + " (" + targetName + ")";
}

std::string Counted(int count) { return std::to_string(count) + (count == 1 ? " column" : " columns"); }

}  // namespace

std::optional<std::string> ColumnsBeyondLines(const std::filesystem::path& file, const ColumnLayout& layout) {
    if (!layout.mapped) return std::nullopt;
    const auto widths = MeasureRecordLines(file, layout.lastColumn + 1);
    if (!widths) return std::nullopt;

    std::vector<std::string> lines;
    int readError = 0;
    std::vector<std::string> names;
    if (ReadHeaderLines(file, lines, readError) == HeaderRead::Read) names = SplitHeaderFields(lines[kNamesLine]);
    std::vector<std::pair<int, int>> beyond;  // (column, target), in column order
    for (int target = 0; target < kMapTargetCount; ++target) {
        if (layout.column[target] >= widths->most) beyond.emplace_back(layout.column[target], target);
    }
    std::sort(beyond.begin(), beyond.end());
    std::string listed;
    for (std::size_t i = 0; i < beyond.size(); ++i) {
        const char* separator = i == 0 ? "" : (i + 1 == beyond.size() ? " and " : ", ");
        listed += separator + Described(beyond[i].second, beyond[i].first, names);
    }
    const bool one = beyond.size() == 1;
    return std::string(one ? "the column " : "the columns ") + listed +
           (one ? " is in no record line: lines have " : " are in no record line: lines have ") +
           (widths->fewest == widths->most ? "" : "at most ") + Counted(widths->most);
}

}  // namespace kelvara
