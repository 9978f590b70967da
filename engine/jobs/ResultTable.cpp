#include "jobs/ResultTable.h"

#include <cmath>
#include <limits>
#include <optional>

#include "io/FluxResultsLine.h"

namespace kelvara {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The pipeline's results: fifteen floats and the records.
template <class Result, std::size_t kCount>
void AppendPipelineValues(const Result* result, const std::array<float Result::*, kCount>& floats,
                          std::vector<double>& values) {
    for (const auto field : floats) values.push_back(result != nullptr ? static_cast<double>(result->*field) : kNaN);
    values.push_back(result != nullptr ? static_cast<double>(result->Records) : kNaN);
}

// The corrected file's columns as numbers, missing ones NaN.
struct ValueCollector {
    std::vector<double>& values;
    void Integer(long long value) { values.push_back(static_cast<double>(value)); }
    void Number(double value) { values.push_back(std::isfinite(value) ? value : kNaN); }
    void Percent(const std::optional<int>& value) { values.push_back(value ? static_cast<double>(*value) : kNaN); }
};

}  // namespace

void ResultTable::Clear() {
    times.clear();
    halfHours.clear();
    values.clear();
}

void ResultTable::Append(const ResultTable& other) {
    if (columns.empty()) columns = other.columns;
    times.insert(times.end(), other.times.begin(), other.times.end());
    halfHours.insert(halfHours.end(), other.halfHours.begin(), other.halfHours.end());
    values.insert(values.end(), other.values.begin(), other.values.end());
}

std::vector<std::string> ValueColumns(std::string_view header) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= header.size()) {
        const std::size_t comma = std::min(header.find(',', start), header.size());
        names.emplace_back(header.substr(start, comma - start));
        start = comma + 1;
    }
    // The time field, or the corrected file's two time stamps.
    const std::size_t times = names.size() > 1 && names[1] == "TIMESTAMP_END" ? 2 : 1;
    names.erase(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(std::min(times, names.size())));
    return names;
}

void AppendValues(const FluxResult* result, std::vector<double>& values) {
    AppendPipelineValues(result, kFluxResultFloats, values);
}

void AppendValues(const StandardResult* result, std::vector<double>& values) {
    AppendPipelineValues(result, kStandardResultFloats, values);
}

void AppendValues(const CorrectedFluxes* result, std::vector<double>& values) {
    if (result == nullptr) {
        values.insert(values.end(), kFluxValueColumns, kNaN);
        return;
    }
    ValueCollector collector{values};
    VisitFluxColumns(*result, collector);
}

}  // namespace kelvara
