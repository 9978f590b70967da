#pragma once
// The batch: every raw file named in a list file, each into a results file of
// its own (its name plus the method's suffix), by either method. One engine
// for every front door: it plans (reads the list once, checks every name and
// finds every file's columns before any results file exists), processes the
// files on one or more workers, and collects their results in list order.
// Every results file is byte for byte the same for any number of workers:
// the files go into place, and the messages reach the port, in list order,
// so that a failure leaves the results of the names before it and none of
// the names after it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "io/ColumnLayout.h"
#include "io/StatusRule.h"
#include "jobs/BlockLoop.h"
#include "jobs/JobInputs.h"
#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"
#include "jobs/RunTally.h"
#include "pipeline/RangeLimits.h"

namespace kelvara {

struct BatchEntry {
    std::string name;         // the raw file, as the list names it
    std::string resultsName;  // its results file
    ColumnLayout layout;      // its columns, found before the batch began
};

// A batch whose list passed every check made before a file is written.
struct BatchPlan {
    Methods methods = Methods::Default;
    std::filesystem::path listPath;
    std::vector<std::string> names;     // the whole list (an empty list gives one empty name)
    std::vector<ColumnLayout> layouts;  // one per name
    std::vector<BatchEntry> entries;    // this shard's names, in list order
    RotationSettings rotation;
    RangeLimits limits;
    StatusRule goodStatus;
    InputFormat input;                 // as the user gave it, for the provenance files
    std::optional<SiteSettings> site;  // the corrected method's
    BatchOptions options;
    DiagnosisContext diagnosis;  // for telling why the results hold no fluxes
};

// What a front door that follows the batch file by file is told: the
// desktop's status texts. With one, the batch runs on the caller's thread
// alone, so the texts are set there.
class BatchObserver : public BlockObserver {
public:
    // Every check has passed; the files follow.
    virtual void Planned() {}
    // fileNumber (from 1) is open and its results file created.
    virtual void FileStarted(int fileNumber) { (void)fileNumber; }
    // Its blocks are all processed.
    virtual void FileEnded() {}
    // Every file is done, just before "Processing Finished!".
    virtual void Finishing() {}
};

// Threads a machine runs at once, at least 1.
int HardwareThreads();

class BatchJob {
public:
    enum class End {
        Finished,       // "Processing Finished!"
        Failed,         // a failure message; with keepGoing, some names failed
        SameOutputName  // two names would write one results file; nothing ran
    };

    BatchJob();
    ~BatchJob();
    BatchJob(const BatchJob&) = delete;
    BatchJob& operator=(const BatchJob&) = delete;

    // One press of "Process". rangeFile replaces range.ini of the Windows
    // directory when given.
    End Run(const BatchInputs& inputs, JobPort& port,
            const std::optional<std::filesystem::path>& rangeFile = std::nullopt, BatchObserver* observer = nullptr);

    // The same in two steps, for a caller that fits the plane in between:
    // the checks (nothing when one failed: its message shown, or
    // SameOutputNames() set), then the files.
    std::optional<BatchPlan> Plan(const BatchInputs& inputs, JobPort& port,
                                  const std::optional<std::filesystem::path>& rangeFile = std::nullopt);
    End Execute(const BatchPlan& plan, JobPort& port, BatchObserver* observer = nullptr);
    // Every check a planned batch makes of each file before it writes its
    // results, and nothing written: what would fail is told as the batch
    // tells it. Finished when the batch would run: every file passed, or,
    // with keepGoing, the batch would go on past those that did not (they
    // are FailedNames()).
    End Check(const BatchPlan& plan, JobPort& port);

    // Over the names whose outcome was taken, in list order.
    const RunTally& Tally() const { return tally_; }
    int FilesDone() const { return filesDone_; }
    // The names that failed under keepGoing, in list order.
    const std::vector<std::string>& FailedNames() const { return failedNames_; }
    // After SameOutputName: the two names and the results file they share.
    const std::vector<std::string>& SameOutputNames() const { return sameOutputNames_; }

private:
    struct OwnStates;
    template <class Traits>
    End ExecuteWith(const BatchPlan& plan, JobPort& port, BatchObserver* observer);

    // What a batch on the caller's thread holds, kept for the next press.
    std::unique_ptr<OwnStates> ownStates_;
    RunTally tally_;
    int filesDone_ = 0;
    std::vector<std::string> failedNames_;
    std::vector<std::string> sameOutputNames_;
};

}  // namespace kelvara
