#include "jobs/RangeLimitsOfJob.h"

#include <string>

#include "io/FileChecks.h"
#include "io/RangeFile.h"
#include "jobs/JobMessages.h"

namespace kelvara {

bool LoadLimits(RangeLimits& limits, const std::optional<std::filesystem::path>& rangeFile, JobPort& port,
                DiagnosisContext& diagnosis) {
    const RangeLoad load = LoadJobRangeLimits(limits, rangeFile);
    if (load.readError != 0) {
        port.ExplainFailure(load.file.string(), SystemErrorText(load.readError));
        Show(port, messages::kCannotReadRange);
        return false;
    }
    std::string problems;
    for (const std::string& problem : load.unreadValues) {
        problems += (problems.empty() ? "" : "\n") + load.file.filename().string() + " " + problem;
    }
    if (!problems.empty()) port.ShowWarning(problems);
    diagnosis.limits = limits;
    diagnosis.rangeSource = load.SourceName();
    return true;
}

}  // namespace kelvara
