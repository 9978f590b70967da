#include "PythonPort.h"

#include "jobs/RunDiagnosis.h"

namespace kelvara::python {

std::string NoDataText(const RunDiagnosis& diagnosis) { return NoFluxReason(diagnosis, "columns=\"auto\""); }

void PythonPort::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    if (icon == MessageIcon::None) return;
    const std::lock_guard lock(mutex_);
    if (failure_) return;
    failure_ = JobFailure{std::string(text), std::string(title), file_, reason_};
}

void PythonPort::ShowWarning(std::string_view text) {
    const std::lock_guard lock(mutex_);
    warnings_.emplace_back(text);
}

void PythonPort::ShowNoFluxes(const RunDiagnosis& diagnosis) {
    std::string text = "no fluxes computed: " + NoDataText(diagnosis);
    for (const std::string& line : diagnosis.rangeRejections) text += "\n" + line;
    ShowWarning(text);
}

void PythonPort::ExplainFailure(std::string_view file, std::string_view reason) {
    const std::lock_guard lock(mutex_);
    file_ = file;
    reason_ = reason;
}

void PythonPort::ShowBytesRead(std::int64_t done, std::int64_t) { bytesDone_.store(done, std::memory_order_relaxed); }

std::vector<std::string> PythonPort::TakeWarnings() {
    const std::lock_guard lock(mutex_);
    return std::move(warnings_);
}

}  // namespace kelvara::python
