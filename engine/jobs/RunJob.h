#pragma once
// The run: raw files into one results file, by any method. The default
// method reads one raw file, optionally completed by the file that follows
// it, into OUT.r1w or OUT.rfw; the standard methods read every file given,
// in time order, as one stream into OUT.s1w or OUT.sfw, and the corrected
// fluxes into OUT.flux.csv with OUT.flux.json beside it. A stream may be
// read on several threads, with the same results.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/StatusRule.h"
#include "jobs/JobInputs.h"
#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"
#include "jobs/RunTally.h"
#include "pipeline/RangeLimits.h"

namespace kelvara {

template <class Traits>
struct MethodState;
struct ResultTable;

// A run whose inputs passed every check made before a file is written.
struct RunPlan {
    Methods methods = Methods::Default;
    std::vector<std::string> files;  // as given
    std::vector<std::filesystem::path> paths;
    std::vector<ColumnLayout> layouts;  // one per file
    std::string outputName;             // with its suffix, as the messages name it
    std::filesystem::path outputPath;
    RotationSettings rotation;
    RangeLimits limits;
    StatusRule goodStatus;
    InputFormat input;  // as the user gave it, for the provenance file
    FluxSettings flux;  // the corrected method's site and sampling frequency
    bool fsFromTimeStamps = false;
    int jobs = 1;                                      // threads a stream is read on
    DiagnosisContext diagnosis;                        // for telling why the results hold no fluxes
    std::vector<std::optional<TimePoint>> firstTimes;  // of a stream's files, in time order
    std::optional<StreamMonth> month;
};

// What a run of one month of a stream read it with, for the join to check:
// the months join into one stream's lines when each month's keptBefore is
// the latest of the latestGood of the months before it.
struct MonthOutcome {
    std::size_t files = 0;                // whose first record is in the month
    std::optional<TimePoint> keptBefore;  // as the month was read
    std::optional<TimePoint> latestGood;  // of the month's own files
};

class RunJob {
public:
    RunJob();
    ~RunJob();
    RunJob(const RunJob&) = delete;
    RunJob& operator=(const RunJob&) = delete;

    // One press of "Process". True when the run ended with "Processing
    // Finished!", false after any failure message or "Re-Input". rangeFile
    // replaces range.ini of the Windows directory when given.
    bool Run(const RunInputs& inputs, JobPort& port,
             const std::optional<std::filesystem::path>& rangeFile = std::nullopt);

    // The same in two steps, for a caller that fits the plane in between:
    // the checks (nothing when one failed, its message shown), then the run.
    std::optional<RunPlan> Plan(const RunInputs& inputs, JobPort& port,
                                const std::optional<std::filesystem::path>& rangeFile = std::nullopt);
    bool Execute(const RunPlan& plan, JobPort& port);

    // What the last run did with its data.
    const RunTally& Tally() const { return tally_; }
    // What the last run of one month read it with.
    const std::optional<MonthOutcome>& Month() const { return month_; }

    // Keeps each half hour of the runs that follow in table as well, as
    // numbers (nullptr: no longer). The table is cleared when a run starts.
    void KeepTable(ResultTable* table) { table_ = table; }

private:
    template <class Traits>
    bool ExecuteWith(const RunPlan& plan, JobPort& port);
    template <class Traits, class Frame>
    bool ReadDefault(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame);
    template <class Traits, class Frame>
    bool ReadStream(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame);
    template <class Traits, class Frame>
    bool ReadStreamInShares(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame);
    template <class Traits, class Frame>
    bool ReadMonth(const RunPlan& plan, JobPort& port, MethodState<Traits>& state, Frame& frame);

    struct States;
    std::unique_ptr<States> states_;
    RunTally tally_;
    std::optional<MonthOutcome> month_;
    ResultTable* table_ = nullptr;
};

}  // namespace kelvara
