#pragma once
// Before a stream of raw files is read: each file once, in the order of
// their first time stamps whatever the order given, and the sampling
// frequency the corrections need.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "corrections/SiteSettings.h"
#include "io/ColumnLayout.h"
#include "jobs/JobMessages.h"
#include "jobs/JobPort.h"

namespace kelvara {

// The files of a stream, the three lists in step.
struct StreamFiles {
    std::vector<std::string> names;  // as given
    std::vector<std::filesystem::path> paths;
    std::vector<ColumnLayout> layouts;
};

// The reason a failure names for a time stamp that does not read.
std::string BadTimeStampReason(std::int64_t line, const std::string& text, bool defaultLayout = false);

// Leaves out a file named again and puts the files in the order of their
// first time stamps (a file without records last), each told when it
// happens. False after the failure message when a first time stamp does
// not read.
bool OrderStreamFiles(StreamFiles& files, JobPort& port);

// Tells, file by file, the records a stream dropped for being earlier than
// the records before them (dropped: one count a name).
void ReportEarlierDropped(JobPort& port, const std::vector<std::string>& names,
                          const std::vector<std::int64_t>& dropped);

// Why a raw file gave no sampling frequency: the message and the reason.
struct FrequencyFailure {
    const JobMessage* message;
    std::string reason;
};

// The sampling frequency: the site's, or 1 / the median step of the file's
// first time stamps.
std::optional<FrequencyFailure> ResolveSamplingFrequency(const SiteSettings& site, const std::filesystem::path& file,
                                                         const ColumnLayout& layout, FluxSettings& settings,
                                                         bool& fromTimeStamps);

// The same for a stream, from its first file; false after the failure
// message.
bool FindSamplingFrequency(const SiteSettings& site, const StreamFiles& files, JobPort& port, FluxSettings& settings,
                           bool& fromTimeStamps);

}  // namespace kelvara
