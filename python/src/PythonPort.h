#pragma once
// The jobs' user inside a Python call: nothing is shown while the engine
// works (it runs without the interpreter's lock); the failure, the warnings
// and the bytes read are kept for the calling thread, which raises, warns
// and draws the progress bar itself.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/JobPort.h"

namespace kelvara {
struct RunDiagnosis;
}

namespace kelvara::python {

// Why the data gave no fluxes, with a hint in the words of a Python call.
std::string NoDataText(const RunDiagnosis& diagnosis);

// The message a job stopped with, and the file and the system's reason
// told before it.
struct JobFailure {
    std::string text;
    std::string title;
    std::string file;
    std::string reason;
};

class PythonPort : public JobPort {
public:
    // cancel is the call's own: Ctrl+C, or another file of the call that failed.
    explicit PythonPort(const std::atomic<bool>& cancel) : cancel_(cancel) {}

    // A message with an icon is a failure (the first is kept); one without
    // ("Processing Finished!") tells nothing a DataFrame does not.
    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    void ShowWarning(std::string_view text) override;
    void ShowNoFluxes(const RunDiagnosis& diagnosis) override;
    bool CancelRequested() const override { return cancel_.load(std::memory_order_relaxed); }
    void ExplainFailure(std::string_view file, std::string_view reason) override;
    void ShowBytesRead(std::int64_t done, std::int64_t total) override;

    // Safe to ask from any thread while the job runs.
    std::int64_t BytesDone() const { return bytesDone_.load(std::memory_order_relaxed); }

    // After the job.
    const std::optional<JobFailure>& Failure() const { return failure_; }
    std::vector<std::string> TakeWarnings();

private:
    const std::atomic<bool>& cancel_;
    std::atomic<std::int64_t> bytesDone_{0};
    std::mutex mutex_;  // the threads of a stream read in shares may warn at once
    std::vector<std::string> warnings_;
    std::optional<JobFailure> failure_;
    std::string file_;  // told by ExplainFailure for the next failure
    std::string reason_;
};

}  // namespace kelvara::python
