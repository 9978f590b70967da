#include "jobs/StreamOrder.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <set>
#include <system_error>

#include "corrections/SamplingFrequency.h"
#include "io/FileChecks.h"
#include "io/StampedRecord.h"
#include "io/TimeStamp.h"
#include "jobs/JobMessages.h"

namespace kelvara {

namespace {

// The first records a sampling frequency is found from.
constexpr std::size_t kRecordsForFrequency = 200;

std::filesystem::path Canonical(const std::filesystem::path& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::absolute(path, error).lexically_normal() : canonical;
}

bool StopOnTimeStamp(JobPort& port, const std::string& file, const FirstRecords& first) {
    port.ExplainFailure(file, BadTimeStampReason(first.badLine, first.badText));
    Show(port, messages::kBadTimeStamp);
    return false;
}

void Reorder(StreamFiles& files, const std::vector<std::size_t>& order) {
    StreamFiles ordered;
    for (const std::size_t i : order) {
        ordered.names.push_back(std::move(files.names[i]));
        ordered.paths.push_back(std::move(files.paths[i]));
        ordered.layouts.push_back(files.layouts[i]);
    }
    files = std::move(ordered);
}

// A file named twice would give its records twice (all but its last ones
// dropped as earlier): it is read once.
void LeaveOutRepeatedFiles(StreamFiles& files, JobPort& port) {
    std::set<std::filesystem::path> seen;
    std::vector<std::size_t> once;
    std::set<std::string> told;
    for (std::size_t i = 0; i < files.paths.size(); ++i) {
        if (seen.insert(Canonical(files.paths[i])).second) {
            once.push_back(i);
        } else if (told.insert(files.names[i]).second) {
            port.ShowFileWarning(files.names[i], "named more than once; read once");
        }
    }
    if (once.size() != files.paths.size()) Reorder(files, once);
}

}  // namespace

namespace {

// A logger quotes its time stamps; the text is shown once in quotes.
std::string InQuotes(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text;
    return "\"" + text + "\"";
}

}  // namespace

std::string BadTimeStampReason(std::int64_t line, const std::string& text, bool defaultLayout) {
    const std::string where = "line " + std::to_string(line) + ": " + InQuotes(text) + " is no time stamp; ";
    if (defaultLayout) return where + std::string(kDefaultTimeStampForm);
    return where + "the forms read are " + std::string(kTimeStampForms);
}

bool OrderStreamFiles(StreamFiles& files, JobPort& port) {
    LeaveOutRepeatedFiles(files, port);
    std::vector<std::optional<TimePoint>> first(files.paths.size());
    for (std::size_t i = 0; i < files.paths.size(); ++i) {
        const FirstRecords records = ReadFirstRecords(files.paths[i], files.layouts[i], 1);
        if (records.status == FirstRecords::Status::BadTime) return StopOnTimeStamp(port, files.names[i], records);
        if (!records.times.empty()) first[i] = records.times.front();
    }
    std::vector<std::size_t> order(files.paths.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (!first[a] || !first[b]) return first[a].has_value() && !first[b].has_value();
        return *first[a] < *first[b];
    });
    if (!std::is_sorted(order.begin(), order.end())) {
        port.ShowWarning("the raw files are read in the order of their first time stamps, not in the order given");
        Reorder(files, order);
    }
    return true;
}

void ReportEarlierDropped(JobPort& port, const std::vector<std::string>& names,
                          const std::vector<std::int64_t>& dropped) {
    for (std::size_t i = 0; i < dropped.size() && i < names.size(); ++i) {
        if (dropped[i] == 0) continue;
        const std::string count = std::to_string(dropped[i]);
        port.ShowFileWarning(
            names[i],
            dropped[i] == 1
                ? "1 record earlier than the records before it dropped (overlap or duplicate file)"
                : count + " records earlier than the records before them dropped (overlap or duplicate file)");
    }
}

std::optional<FrequencyFailure> ResolveSamplingFrequency(const SiteSettings& site, const std::filesystem::path& file,
                                                         const ColumnLayout& layout, FluxSettings& settings,
                                                         bool& fromTimeStamps) {
    settings.site = site;
    fromTimeStamps = !site.fs;
    if (site.fs) {
        settings.fs = *site.fs;
        return std::nullopt;
    }
    const FirstRecords records = ReadFirstRecords(file, layout, kRecordsForFrequency);
    if (records.status == FirstRecords::Status::BadTime) {
        return FrequencyFailure{&messages::kBadTimeStamp, BadTimeStampReason(records.badLine, records.badText)};
    }
    std::vector<double> seconds;
    for (const TimePoint time : records.times) seconds.push_back(Seconds(time));
    std::string problem;
    if (EstimateSamplingFrequency(seconds, settings.fs, problem)) return std::nullopt;
    return FrequencyFailure{&messages::kNoSamplingFrequency, problem + " (give fs in the site file's [processing])"};
}

bool FindSamplingFrequency(const SiteSettings& site, const StreamFiles& files, JobPort& port, FluxSettings& settings,
                           bool& fromTimeStamps) {
    const auto failure =
        ResolveSamplingFrequency(site, files.paths.front(), files.layouts.front(), settings, fromTimeStamps);
    if (!failure) return true;
    port.ExplainFailure(files.names.front(), failure->reason);
    Show(port, *failure->message);
    return false;
}

}  // namespace kelvara
