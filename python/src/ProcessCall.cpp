#include "ProcessCall.h"

#include "EachFileOnItsOwn.h"
#include "PlaneFitCall.h"
#include "jobs/RunJob.h"

namespace kelvara::python {

namespace {

constexpr std::size_t kFitPort = 0;
constexpr std::size_t kFirstRunPort = 1;

// The standard methods: every file one stream, as `run --standard` reads it.
ProcessOutcome ProcessStream(const ProcessRequest& request, CallPorts& ports) {
    ProcessOutcome outcome;
    RunInputs inputs = request.inputs;
    inputs.outputFile = (request.outputDir / "results").string();
    PythonPort& port = ports[kFirstRunPort];
    RunJob job;
    job.KeepTable(&outcome.table);
    std::optional<RunPlan> plan = job.Plan(inputs, port, request.rangeFile);
    if (!plan) return outcome;
    if (request.fitPlane) {
        const auto plane = FittedPlane(plan->files, plan->layouts, inputs.input, ports[kFitPort], request.rangeFile);
        if (!plane) return outcome;
        plan->rotation = RotationInputs::PlanarFit((*plane)[0], (*plane)[1], (*plane)[2]).Settings();
    }
    outcome.rotation = plan->rotation;
    if (plan->methods == Methods::Corrected) outcome.samplingFrequency = plan->flux.fs;
    outcome.finished = job.Execute(*plan, port);
    return outcome;
}

// The default method: each file a run of its own, as the batch reads them,
// with one plane fitted over all of them first.
ProcessOutcome ProcessEachFile(const ProcessRequest& request, CallPorts& ports) {
    ProcessOutcome outcome;
    RotationInputs rotation = request.inputs.rotation;
    if (request.fitPlane) {
        const auto plane =
            FittedPlane(request.inputs.files, {}, request.inputs.input, ports[kFitPort], request.rangeFile);
        if (!plane) return outcome;
        rotation = RotationInputs::PlanarFit((*plane)[0], (*plane)[1], (*plane)[2]);
    }
    outcome.rotation = rotation.Settings();
    const EachFile each{.inputs = request.inputs,
                        .rotation = rotation,
                        .rangeFile = request.rangeFile,
                        .outputDir = request.outputDir,
                        .firstPort = kFirstRunPort};
    outcome.finished = ProcessEachFileOnItsOwn(each, ports, outcome.table);
    return outcome;
}

}  // namespace

CallPorts PortsFor(const ProcessRequest& request) {
    const std::size_t runs = ReadsStreams(request.inputs.methods) ? 1 : request.inputs.files.size();
    const std::int64_t bytes = TotalBytes(request.inputs.files);
    return CallPorts(kFirstRunPort + runs, request.fitPlane ? 2 * bytes : bytes);
}

ProcessOutcome Process(const ProcessRequest& request, CallPorts& ports) {
    return ReadsStreams(request.inputs.methods) ? ProcessStream(request, ports) : ProcessEachFile(request, ports);
}

}  // namespace kelvara::python
