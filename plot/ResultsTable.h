#pragma once
// A results file read back for plotting: the half hours' end times and the
// columns the quick look draws. The default and standard results files and
// the corrected one (.flux.csv) are recognised by their header line.

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace kelvara::plot {

enum class ResultsKind { Default, Standard, Flux };

// One half hour. A rejected one has NaN values; so has a field left empty
// (or -9999, in a corrected file).
struct HalfHourRow {
    double time;  // end of the half hour, seconds since 1970-01-01 00:00 UTC
    double ustar, h, le, fc, records;
    bool rejected;
    // The corrected file's quality flag 2 (do not use) of τ (drawn on u*),
    // H, LE and Fc.
    bool badTau = false, badH = false, badLE = false, badFc = false;
};

struct ResultsTable {
    ResultsKind kind = ResultsKind::Default;
    std::vector<HalfHourRow> rows;  // in time order
};

// The table, or a sentence saying why the file cannot be read or is not a
// results file. Only a regular file is read: a pipe would block, and a
// device such as /dev/zero never ends.
std::variant<ResultsTable, std::string> ReadResultsTable(const std::filesystem::path& file);

// "YYYY-MM-DD H:M" of a results line as seconds since 1970 UTC, or NaN. In
// default files the 23:30 half hour ends at "0:0" of its own date, which is
// the next day's midnight; standard files already carry the next date.
double ResultsTime(std::string_view text, ResultsKind kind);

// "YYYYMMDDHHMM" of a corrected file's TIMESTAMP_END as seconds since 1970
// UTC, or NaN.
double FluxTime(std::string_view text);

}  // namespace kelvara::plot
