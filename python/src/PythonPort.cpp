#include "PythonPort.h"

#include "jobs/RunDiagnosis.h"

namespace kelvara::python {

namespace {

// The hint in the words of a Python call.
std::string HintText(NoFluxHint hint) {
    switch (hint) {
        case NoFluxHint::ColumnMap:
            return " (the header names a record-number column: try columns=\"auto\")";
        case NoFluxHint::StatusField:
            return " (is the status the last field of each record?)";
        case NoFluxHint::None:
            break;
    }
    return "";
}

}  // namespace

std::string NoDataText(const RunDiagnosis& diagnosis) { return diagnosis.noFluxes + HintText(diagnosis.hint); }

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
