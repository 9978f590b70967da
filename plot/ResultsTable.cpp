#include "ResultsTable.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "io/FileChecks.h"
#include "io/FileNames.h"
#include "io/FluxResultsLine.h"
#include "io/ResultsFile.h"

namespace kelvara::plot {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kResultsFields = 17;
// Columns drawn, by their place in both headers.
constexpr int kUstarColumn = 1, kHColumn = 11, kLEColumn = 14, kFcColumn = 15, kRecordsColumn = 16;
// The corrected file's columns drawn, and its flags.
constexpr std::size_t kFluxEndColumn = 1, kFluxNColumn = 2, kFluxTauColumn = 3, kFluxHColumn = 4, kFluxLEColumn = 5,
                      kFluxFcColumn = 6, kFluxUstarColumn = 7, kFluxTauFlagColumn = 39;
constexpr double kFluxMissing = -9999.0;
constexpr double kWorstFlag = 2.0;
// Far above any results line: a file with longer lines is no results file,
// and it is refused before it fills the memory.
constexpr std::size_t kLongestLine = 4096;

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

// The lines of an open stream, each without its line feed; a read error is
// told apart from the end.
class LineReader {
public:
    explicit LineReader(std::FILE* stream) : stream_(stream) {}
    ~LineReader() { std::fclose(stream_); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // False at the end, after a read error or on a line longer than
    // kLongestLine (then TooLong() says so).
    bool Next(std::string& line) {
        line.clear();
        char buffer[512];
        errno = 0;
        while (std::fgets(buffer, sizeof buffer, stream_) != nullptr) {
            line += buffer;
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
                return true;
            }
            if (line.size() > kLongestLine) {
                tooLong_ = true;
                return false;
            }
        }
        if (std::ferror(stream_) != 0) error_ = errno != 0 ? errno : EIO;
        return error_ == 0 && !line.empty();
    }
    bool TooLong() const { return tooLong_; }
    int Error() const { return error_; }

private:
    std::FILE* stream_;
    bool tooLong_ = false;
    int error_ = 0;
};

// A corrected file's value: NaN for -9999 (missing), as for an empty field.
double FluxValue(std::string_view field) {
    const double value = FieldValue(field);
    return value == kFluxMissing ? kNaN : value;
}

// A line of the corrected file: its end time, the corrected fluxes, N, and
// which fluxes are flagged 2. A rejected half hour is -9999 everywhere after
// its time stamps.
std::optional<HalfHourRow> FluxRow(const std::vector<std::string_view>& fields, std::size_t columns) {
    if (fields.size() != columns) return std::nullopt;
    const double time = FluxTime(fields[kFluxEndColumn]);
    if (std::isnan(time)) return std::nullopt;
    HalfHourRow row{time,
                    FluxValue(fields[kFluxUstarColumn]),
                    FluxValue(fields[kFluxHColumn]),
                    FluxValue(fields[kFluxLEColumn]),
                    FluxValue(fields[kFluxFcColumn]),
                    FluxValue(fields[kFluxNColumn]),
                    false};
    row.rejected =
        std::all_of(fields.begin() + 2, fields.end(), [](std::string_view f) { return std::isnan(FluxValue(f)); });
    const auto bad = [&](std::size_t flux) { return FieldValue(fields[kFluxTauFlagColumn + flux]) == kWorstFlag; };
    row.badTau = bad(0);
    row.badH = bad(1);
    row.badLE = bad(2);
    row.badFc = bad(3);
    return row;
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

double FluxTime(std::string_view text) {
    if (text.size() != 12 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return kNaN;
    }
    const auto digits = [text](std::size_t at, std::size_t count) {
        int value = 0;
        std::from_chars(text.data() + at, text.data() + at + count, value);
        return value;
    };
    const std::string stamp = std::to_string(digits(0, 4)) + "-" + std::to_string(digits(4, 2)) + "-" +
                              std::to_string(digits(6, 2)) + " " + std::to_string(digits(8, 2)) + ":" +
                              std::to_string(digits(10, 2));
    return ResultsTime(stamp, ResultsKind::Flux);
}

std::variant<ResultsTable, std::string> ReadResultsTable(const std::filesystem::path& file) {
    if (IsDirectory(file) || IsSpecialFile(file)) return ReasonCannotRead(file);
    std::FILE* stream = OpenFile(file, "rb");
    if (stream == nullptr) return ReasonCannotRead(file);
    LineReader lines(stream);
    const auto readError = [&lines] { return "could not be read: " + SystemErrorText(lines.Error()); };

    std::string line;
    if (!lines.Next(line)) {
        if (lines.Error() != 0) return readError();
        return std::string(lines.TooLong() ? "is not a results file of Kelvara: its first line is not a results header"
                                           : "is empty: not a results file");
    }
    ResultsTable table;
    const std::string_view header = WithoutLineEnd(line);
    if (header == kResultsHeader) {
        table.kind = ResultsKind::Default;
    } else if (header == kStandardResultsHeader) {
        table.kind = ResultsKind::Standard;
    } else if (header == kFluxHeader || header.starts_with(std::string(kFluxHeader) + ",")) {
        table.kind = ResultsKind::Flux;
    } else {
        return std::string("is not a results file of Kelvara: its first line is not a results header");
    }
    const std::size_t columns = SplitFields(header).size();
    int number = 2;
    for (; lines.Next(line); ++number) {
        const std::vector<std::string_view> fields = SplitFields(WithoutLineEnd(line));
        if (table.kind == ResultsKind::Flux) {
            const std::optional<HalfHourRow> row = FluxRow(fields, columns);
            if (!row) return "line " + std::to_string(number) + " is not a results line";
            table.rows.push_back(*row);
            continue;
        }
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
    if (lines.Error() != 0) return readError();
    if (lines.TooLong()) return "line " + std::to_string(number) + " is not a results line";
    std::stable_sort(table.rows.begin(), table.rows.end(),
                     [](const HalfHourRow& a, const HalfHourRow& b) { return a.time < b.time; });
    return table;
}

}  // namespace kelvara::plot
