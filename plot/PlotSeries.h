#pragma once
// The lines of a quick look. Results files that follow each other in time
// (a month of daily files) make one line; files over the same half hours
// (the same days processed with the default and the standard methods, or
// with two rotations) are lines of their own, so they can be compared.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "ResultsTable.h"

namespace kelvara::plot {

struct ResultsFileTable {
    std::filesystem::path file;
    ResultsTable table;
};

struct PlotSeries {
    std::string name;  // the files drawn as this line
    ResultsKind kind = ResultsKind::Default;
    std::vector<HalfHourRow> rows;  // in time order
};

// Line styles that stay told apart in print.
inline constexpr std::size_t kMostSeries = 4;

// The files in the order given: each joins the first line of its own kind
// whose half hours it does not overlap, or starts a line. Lines without a
// half hour are left out. A sentence instead when more than kMostSeries
// lines would be needed.
std::variant<std::vector<PlotSeries>, std::string> SeriesOfFiles(std::vector<ResultsFileTable> files);

// The title of a picture of these files: their names, or the first and last
// of many.
std::string TitleOfFiles(const std::vector<std::filesystem::path>& files);

}  // namespace kelvara::plot
