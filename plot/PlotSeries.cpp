#include "PlotSeries.h"

#include <algorithm>

namespace kelvara::plot {

namespace {

bool EarlierRow(const HalfHourRow& a, const HalfHourRow& b) { return a.time < b.time; }

// Whether two time-ordered rows share a half hour.
bool ShareAHalfHour(const std::vector<HalfHourRow>& a, const std::vector<HalfHourRow>& b) {
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        if (i->time < j->time) {
            ++i;
        } else if (j->time < i->time) {
            ++j;
        } else {
            return true;
        }
    }
    return false;
}

struct SeriesFiles {
    ResultsKind kind;
    std::vector<std::filesystem::path> files;
    std::vector<HalfHourRow> rows;  // in time order

    bool Takes(const ResultsTable& table) const { return table.kind == kind && !ShareAHalfHour(rows, table.rows); }
    void Add(ResultsFileTable& file) {
        files.push_back(file.file);
        const auto middle = rows.insert(rows.end(), file.table.rows.begin(), file.table.rows.end());
        std::inplace_merge(rows.begin(), middle, rows.end(), EarlierRow);
    }
};

}  // namespace

std::variant<std::vector<PlotSeries>, std::string> SeriesOfFiles(std::vector<ResultsFileTable> files) {
    std::vector<SeriesFiles> lines;
    for (ResultsFileTable& file : files) {
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [&file](const SeriesFiles& series) { return series.Takes(file.table); });
        if (line == lines.end()) line = lines.insert(lines.end(), SeriesFiles{file.table.kind, {}, {}});
        line->Add(file);
    }
    std::erase_if(lines, [](const SeriesFiles& line) { return line.rows.empty(); });
    if (lines.size() > kMostSeries) {
        return "the files make " + std::to_string(lines.size()) +
               " lines (files of the same half hours, or of other methods, are drawn apart), and a picture tells "
               "at most " +
               std::to_string(kMostSeries) + " apart: plot fewer files at once";
    }
    std::vector<PlotSeries> series;
    for (SeriesFiles& line : lines) {
        series.push_back({TitleOfFiles(line.files), line.kind, std::move(line.rows)});
    }
    return series;
}

std::string TitleOfFiles(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return {};
    const auto name = [](const std::filesystem::path& file) { return file.filename().string(); };
    if (files.size() > 3) {
        return name(files.front()) + " ... " + name(files.back()) + " (" + std::to_string(files.size()) + " files)";
    }
    std::string title = name(files.front());
    for (std::size_t i = 1; i < files.size(); ++i) title += ", " + name(files[i]);
    return title;
}

}  // namespace kelvara::plot
