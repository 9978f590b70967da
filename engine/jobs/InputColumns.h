#pragma once
// The columns of a job's raw files, found before any results file exists, so
// that a file the map does not fit stops the job before anything is written.

#include <filesystem>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/InputFormat.h"
#include "jobs/JobMessages.h"
#include "jobs/JobPort.h"

namespace kelvara {

inline constexpr std::string_view kColumnsRefusedTitle = "Input Columns Don't Match!";

// One layout per file (files as typed). A file that cannot be opened now
// keeps the default layout: the job's own opening reports it. With a map,
// each file's columns are told to the port. False, with refusal set to the
// message text naming the file, when a file's header does not fit.
bool PrepareColumns(const InputFormat& format, const std::vector<std::string>& files, JobPort& port,
                    std::vector<ColumnLayout>& layouts, std::string& refusal);

// The names of a batch list, as the batch reads them (the first even from an
// empty list).
std::vector<std::string> ListedNames(const std::filesystem::path& listFile);

inline JobMessage ColumnsRefused(const std::string& refusal) {
    return JobMessage{refusal, kColumnsRefusedTitle, MessageIcon::Exclamation};
}

}  // namespace kelvara
