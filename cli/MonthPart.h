#pragma once
// One month of a stream run apart: "--month YYYY-MM" as typed, and the
// small file beside its results that lets the join check the months, one
// "key value" line each:
//   month 2024-06
//   files 1440
//   kept-before 1717199999900000000   (nanoseconds since 1970, or none)
//   latest-good 1719791999900000000

#include <filesystem>
#include <optional>
#include <string>

#include "jobs/JobInputs.h"
#include "jobs/RunJob.h"

namespace kelvara::cli {

// "2024-06" into month; false for anything else.
bool ReadMonthText(const std::string& text, StreamMonth& month);

// "none" or a whole number of nanoseconds since 1970.
bool ReadKeptBeforeText(const std::string& text, std::optional<TimePoint>& keptBefore);

std::string MonthPartText(const StreamMonth& month, const MonthOutcome& outcome);

// The results file's name with ".month" added.
std::filesystem::path MonthPartPath(const std::filesystem::path& results);

}  // namespace kelvara::cli
