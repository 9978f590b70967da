#include "ResultsTable.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <limits>

#include "io/ResultsFile.h"
#include "io/StandardResultsFile.h"

namespace kelvara::plot {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kResultsFields = 17;
// Columns drawn, by their place in both headers.
constexpr int kUstarColumn = 1, kHColumn = 11, kLEColumn = 14, kFcColumn = 15, kRecordsColumn = 16;

bool ReadInt(std::string_view& text, int& value, char end) {
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next == text.data() + text.size() || *next != end) return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
    return true;
}

double FieldValue(std::string_view field) {
    if (field.empty()) return kNaN;
    double value = kNaN;
    const auto [next, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && next == field.data() + field.size() ? value : kNaN;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return fields;
        line.remove_prefix(comma + 1);
    }
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

double ResultsTime(std::string_view text, ResultsKind kind) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    std::string_view rest = text;
    if (!ReadInt(rest, year, '-') || !ReadInt(rest, month, '-') || !ReadInt(rest, day, ' ') ||
        !ReadInt(rest, hour, ':')) {
        return kNaN;
    }
    const auto [next, error] = std::from_chars(rest.data(), rest.data() + rest.size(), minute);
    if (error != std::errc() || next != rest.data() + rest.size()) return kNaN;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59) return kNaN;
    auto days = std::chrono::sys_days(date).time_since_epoch().count();
    if (kind == ResultsKind::Default && hour == 0 && minute == 0) ++days;
    return static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0;
}

std::variant<ResultsTable, std::string> ReadResultsTable(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::string("cannot be opened");
    std::string line;
    if (!std::getline(in, line)) return std::string("is empty: not a results file");
    ResultsTable table;
    const std::string_view header = WithoutLineEnd(line);
    if (header == kResultsHeader) {
        table.kind = ResultsKind::Default;
    } else if (header == kStandardResultsHeader) {
        table.kind = ResultsKind::Standard;
    } else {
        return std::string("is not a results file of Kelvara: its first line is not a results header");
    }
    for (int number = 2; std::getline(in, line); ++number) {
        const std::vector<std::string_view> fields = SplitFields(WithoutLineEnd(line));
        const double time = ResultsTime(fields[0], table.kind);
        if (fields.size() != kResultsFields || std::isnan(time)) {
            return "line " + std::to_string(number) + " is not a results line";
        }
        HalfHourRow row{time,
                        FieldValue(fields[kUstarColumn]),
                        FieldValue(fields[kHColumn]),
                        FieldValue(fields[kLEColumn]),
                        FieldValue(fields[kFcColumn]),
                        FieldValue(fields[kRecordsColumn]),
                        false};
        row.rejected = std::all_of(fields.begin() + 1, fields.end(), [](std::string_view f) { return f.empty(); });
        table.rows.push_back(row);
    }
    if (in.bad()) return std::string("could not be read to its end");
    std::stable_sort(table.rows.begin(), table.rows.end(),
                     [](const HalfHourRow& a, const HalfHourRow& b) { return a.time < b.time; });
    return table;
}

}  // namespace kelvara::plot
