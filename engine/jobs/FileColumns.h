#pragma once
// The columns of a job's raw files, found before any results file exists, so
// that a file the map does not fit stops the job before anything is written.

#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/InputFormat.h"
#include "jobs/JobPort.h"

namespace kelvara {

inline constexpr std::string_view kColumnsRefusedTitle = "Input Columns Don't Match!";

// One layout per file (files as typed). A file that cannot be opened now
// keeps the default layout: the job's own opening reports it. With a map,
// each file's columns are told to the port. Nothing, after the message
// naming the file, when a file's header does not fit.
std::optional<std::vector<ColumnLayout>> FindFileColumns(const InputFormat& format,
                                                         const std::vector<std::string>& files, JobPort& port);

}  // namespace kelvara
