#include "PlaneFitCall.h"

#include "Failures.h"

namespace kelvara::python {

std::optional<PlaneFitReport> FitOverFiles(const PlaneFitInputs& inputs, PythonPort& port,
                                           const std::optional<std::filesystem::path>& rangeFile) {
    std::optional<PlaneFitReport> report = RunPlaneFitJob(inputs, port, rangeFile);
    if (port.CancelRequested()) return std::nullopt;
    return report;
}

std::string RefusalReason(const PlaneFitReport& report) {
    return report.noData ? NoDataText(*report.noData) : report.fit.refusal;
}

std::optional<std::array<double, 3>> FittedPlane(const std::vector<std::string>& files,
                                                 const std::vector<ColumnLayout>& layouts, const InputFormat& input,
                                                 PythonPort& port,
                                                 const std::optional<std::filesystem::path>& rangeFile) {
    const auto report = FitOverFiles({.files = files, .input = input, .layouts = layouts}, port, rangeFile);
    if (!report) return std::nullopt;
    if (!report->fit.ok) throw PlaneFitRefusal("planar fit refused: " + RefusalReason(*report));
    return std::array<double, 3>{report->fit.b0, report->fit.b1, report->fit.b2};
}

}  // namespace kelvara::python
