#pragma once
// How every processing job ends: its files closed, the reader's counts taken
// into the tally, and one message shown. A failure that concerns one file
// tells the port the file and the system's reason first.

#include <optional>
#include <string>
#include <utility>

#include "io/ResultsFile.h"
#include "jobs/JobMessages.h"
#include "jobs/JobPort.h"
#include "jobs/RunDiagnosis.h"
#include "jobs/RunTally.h"

namespace kelvara {

// Why one raw file of a job failed, kept until it can be shown.
struct FileFailure {
    JobMessage message;
    std::optional<std::string> file;  // the name as given, when the failure concerns a file
    std::string reason;
};

// State: a MethodState, whose files the frame closes. After a failure the
// results written so far are kept beside the results file, which stays as it
// was: a results file is always whole.
template <class State>
class JobFrame {
public:
    // resultsName: the results file as the messages name it.
    JobFrame(State& state, JobPort& port, RunTally& tally, std::string resultsName)
        : state_(state), port_(port), tally_(tally), resultsName_(std::move(resultsName)) {}

    // keepPartial false: the failure leaves nothing written (a time stamp
    // that does not read makes the whole stream doubtful).
    bool Stop(const JobMessage& message, bool keepPartial = true) {
        state_.reader.Close();
        if (!keepPartial) {
            TemporaryFile discarded;
            state_.results.Finish(discarded);
        } else if (state_.results.IsOpen() && state_.results.KeepPartial()) {
            port_.ExplainPartialResults(resultsName_, resultsName_ + std::string(kPartialSuffix));
        }
        TakeRecordCounts();
        Show(port_, message);
        return false;
    }
    bool StopOnFile(const JobMessage& message, const std::string& file, const std::string& reason,
                    bool keepPartial = true) {
        port_.ExplainFailure(file, reason);
        return Stop(message, keepPartial);
    }
    bool StopOn(const FileFailure& failure, bool keepPartial = true) {
        if (failure.file) port_.ExplainFailure(*failure.file, failure.reason);
        return Stop(failure.message, keepPartial);
    }

    // The user stopped the job: nothing is kept and nothing said.
    bool Abandon() {
        state_.reader.Close();
        TemporaryFile discarded;
        state_.results.Finish(discarded);
        TakeRecordCounts();
        return false;
    }

    // The records were read by readers of the job's own (a stream read in
    // shares): their counts, summed, instead of the state's reader's.
    void UseRecordCounts(const ReadCounts& counts) { counts_ = counts; }

    // After the last block, the files already closed: "Processing
    // Finished!", or why no half hour got fluxes.
    bool Finish(const DiagnosisContext& context) {
        TakeRecordCounts();
        ConcludeJob(port_, tally_, context);
        return true;
    }
    // A run that had nothing to read (a month without files) and said so.
    bool FinishEmpty() {
        TakeRecordCounts();
        Show(port_, messages::kFinished);
        return true;
    }

private:
    void TakeRecordCounts() { tally_.TakeRecordCounts(counts_ ? *counts_ : state_.reader.RecordCounts()); }

    State& state_;
    JobPort& port_;
    RunTally& tally_;
    const std::string resultsName_;
    std::optional<ReadCounts> counts_;
};

}  // namespace kelvara
