// The compiled part of the kelvara package (kelvara._kelvara). Its functions
// take options the Python layer has already checked for type; the texts
// among them are read here by the engine's own readers. The public
// functions, their documentation and the DataFrames are in kelvara/*.py.

#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <optional>
#include <string>
#include <vector>

#include "CallOptions.h"
#include "Failures.h"
#include "FrameAttrs.h"
#include "PlaneFitCall.h"
#include "ProcessCall.h"
#include "RawRecords.h"
#include "ReleasedCall.h"
#include "TableArrays.h"
#include "Version.h"
#include "io/FileNames.h"
#include "io/FluxResultsLine.h"
#include "io/ResultsFile.h"

namespace py = pybind11;

namespace kelvara::python {

namespace {

using Progress = std::optional<py::function>;
using Plane = std::optional<std::array<double, 3>>;

// kelvara.KelvaraWarning, held by the module for the process's life.
PyObject* warningCategory = nullptr;

// The jobs' warnings, once the call's work has ended; a filter may turn
// them into exceptions. stacklevel 2: the line that called the public
// function.
void IssueWarnings(const std::vector<std::string>& warnings) {
    const py::object warn = py::module_::import("warnings").attr("warn");
    for (const std::string& text : warnings) warn(text, py::handle(warningCategory), 2);
}

// The progress shown ended (progress.close): its line is done before a
// warning or an error is written below it.
void EndProgress(const Progress& progress, bool finished) {
    if (progress) progress->attr("close")(finished);
}

// The work with the interpreter's lock released, its progress shown about
// every 100 ms and, at the end, where it ended (also when it was over before
// the first tick). The progress is ended when the work throws.
void RunShown(const std::function<void()>& work, std::atomic<bool>& cancel, const std::function<void()>& show,
              const Progress& progress) {
    try {
        RunReleased(work, cancel, show);
    } catch (...) {
        EndProgress(progress, false);
        throw;
    }
    show();
}

// The work, then the warnings, then the failure a port kept, if any.
void RunCall(const std::function<void()>& work, CallPorts& ports, const Progress& progress) {
    const auto show = [&] {
        if (progress) (*progress)(ports.BytesDone(), ports.BytesTotal());
    };
    RunShown(work, ports.Cancel(), show, progress);
    const JobFailure* failure = ports.FirstFailure();
    EndProgress(progress, failure == nullptr);
    IssueWarnings(ports.TakeWarnings());
    if (failure) ThrowFailure(*failure);
}

std::optional<std::filesystem::path> PathOf(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return PathFromText(*text);
}

py::dict ProcessFiles(const std::vector<std::string>& files, const std::string& method,
                      const std::optional<std::string>& siteFile, const std::optional<std::string>& siteText,
                      const Plane& plane, bool fitPlane, const std::string& columns,
                      const std::optional<std::string>& goodStatus, const std::optional<std::string>& rangeFile,
                      bool unitCheck, int jobs, const std::string& outputDir, const Progress& progress) {
    ProcessRequest request;
    std::optional<SiteSettings> site = SiteOf(siteFile, siteText);
    request.inputs = RunInputs{.methods = MethodsOf(method, site.has_value()),
                               .files = files,
                               .rotation = RotationOf(plane, fitPlane),
                               .input = InputFormatOf(columns, goodStatus, unitCheck),
                               .site = std::move(site),
                               .jobs = jobs};
    request.fitPlane = fitPlane;
    request.rangeFile = PathOf(rangeFile);
    request.outputDir = PathFromText(outputDir);
    CallPorts ports = PortsFor(request);
    ProcessOutcome outcome;
    RunCall([&] { outcome = Process(request, ports); }, ports, progress);
    if (!outcome.finished) throw JobFailed("the run stopped without a message");
    py::dict result = TableArrays(outcome.table, request.inputs.methods);
    result["attrs"] = FrameAttrs(request, outcome);
    return result;
}

py::dict ReportDict(const PlaneFitReport& report) {
    const PlaneFit& fit = report.fit;
    py::dict result;
    result["b"] = py::make_tuple(fit.b0, fit.b1, fit.b2);
    result["stderr"] = py::make_tuple(fit.se_b0, fit.se_b1, fit.se_b2);
    result["alpha"] = fit.alphaDegrees;
    result["beta"] = fit.betaDegrees;
    result["r2"] = fit.r2 ? py::cast(*fit.r2) : py::none();
    result["rms"] = fit.rmsResidual;
    result["max_residual"] = fit.maxAbsResidual;
    result["sectors"] = fit.sectors;
    result["used"] = fit.blocksUsed;
    py::list times, reasons;
    for (const ExcludedBlock& block : report.excluded) {
        times.append(block.time);
        reasons.append(block.reason);
    }
    result["excluded_time"] = times;
    result["excluded_reason"] = reasons;
    return result;
}

py::dict FitPlane(const std::vector<std::string>& files, int minRecords, double uMin, double wMax,
                  const std::string& columns, const std::optional<std::string>& goodStatus,
                  const std::optional<std::string>& rangeFile, bool unitCheck, const Progress& progress) {
    const PlaneFitInputs inputs{.files = files,
                                .screen = {.minRecords = minRecords, .uMin = uMin, .wMax = wMax},
                                .input = InputFormatOf(columns, goodStatus, unitCheck)};
    const auto range = PathOf(rangeFile);
    CallPorts ports(1, TotalBytes(files));
    std::optional<PlaneFitReport> report;
    RunCall([&] { report = FitOverFiles(inputs, ports[0], range); }, ports, progress);
    if (!report) throw JobFailed("the planar fit stopped without a message");
    if (!report->fit.ok) throw PlaneFitRefusal(RefusalReason(*report));
    return ReportDict(*report);
}

template <class T>
py::array_t<T> ArrayOf(std::vector<T>&& values) {
    auto* kept = new std::vector<T>(std::move(values));
    const py::capsule owner(kept, [](void* vector) { delete static_cast<std::vector<T>*>(vector); });
    return py::array_t<T>(static_cast<py::ssize_t>(kept->size()), kept->data(), owner);
}

py::dict ReadRaw(const std::string& file, const std::string& columns, bool unitCheck, const Progress& progress) {
    const InputFormat format = InputFormatOf(columns, std::nullopt, unitCheck);
    CallPorts ports(0, TotalBytes({file}));
    std::atomic<std::int64_t> bytesRead{0};
    RawColumns raw;
    const auto read = [&] { raw = ReadRawColumns(file, format, ports.Cancel(), bytesRead); };
    const auto show = [&] {
        if (progress) (*progress)(bytesRead.load(), ports.BytesTotal());
    };
    RunShown(read, ports.Cancel(), show, progress);
    EndProgress(progress, true);
    py::dict result;
    result["time"] = ArrayOf(std::move(raw.time));
    for (int v = 0; v < kVariableCount; ++v) {
        result[py::str(std::string(MapTargetName(MapTargetOfVariable(v))))] = ArrayOf(std::move(raw.value[v]));
    }
    result["status"] = ArrayOf(std::move(raw.status));
    return result;
}

py::dict ResultsHeaders() {
    py::dict headers;
    headers["default"] = std::string(kResultsHeader);
    headers["standard"] = std::string(kStandardResultsHeader);
    headers["corrected"] = std::string(kFluxHeader);
    return headers;
}

}  // namespace

}  // namespace kelvara::python

PYBIND11_MODULE(_kelvara, module) {
    using namespace kelvara::python;
    namespace py = pybind11;
    module.doc() = "The compiled part of kelvara: use the functions of the kelvara package.";
    RegisterFailures(module);
    warningCategory = PyErr_NewExceptionWithDoc("kelvara.KelvaraWarning",
                                                "Something a job tells that does not stop it (rejected half hours, "
                                                "files read in another order, no fluxes computed).",
                                                PyExc_UserWarning, nullptr);
    if (warningCategory == nullptr) throw py::error_already_set();
    module.attr("KelvaraWarning") = py::handle(warningCategory);
    module.attr("__version__") = KELVARA_VERSION;
    module.attr("RESULTS_HEADERS") = ResultsHeaders();
    module.attr("FLUX_MISSING") = std::string(kelvara::kFluxMissing);
    module.def("process", &ProcessFiles, py::arg("files"), py::arg("method"), py::arg("site_file"),
               py::arg("site_text"), py::arg("plane"), py::arg("fit_plane"), py::arg("columns"), py::arg("good_status"),
               py::arg("range_file"), py::arg("unit_check"), py::arg("jobs"), py::arg("output_dir"),
               py::arg("progress"));
    module.def("planefit", &FitPlane, py::arg("files"), py::arg("min_records"), py::arg("u_min"), py::arg("w_max"),
               py::arg("columns"), py::arg("good_status"), py::arg("range_file"), py::arg("unit_check"),
               py::arg("progress"));
    module.def("read_raw", &ReadRaw, py::arg("path"), py::arg("columns"), py::arg("unit_check"), py::arg("progress"));
}
