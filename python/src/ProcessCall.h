#pragma once
// kelvara.process: raw files into half hours as numbers, by one run of the
// stream (the standard methods) or by a run of each file (the default
// method). The runs still write their results files, into a private folder
// that the Python layer gives and removes.

#include <filesystem>
#include <optional>
#include <string>

#include "CallPorts.h"
#include "jobs/JobInputs.h"
#include "jobs/ResultTable.h"
#include "pipeline/Rotation.h"

namespace kelvara::python {

struct ProcessRequest {
    RunInputs inputs;       // all but the output file
    bool fitPlane = false;  // the plane fitted over the files first
    std::optional<std::filesystem::path> rangeFile;
    std::filesystem::path outputDir;
};

struct ProcessOutcome {
    bool finished = false;  // false: a port holds the failure, or the call was cancelled
    ResultTable table;
    RotationSettings rotation;                // as applied, a fitted plane included
    std::optional<double> samplingFrequency;  // of the corrected fluxes, Hz
};

// The ports the call needs: the plane fit's first, then one a run.
CallPorts PortsFor(const ProcessRequest& request);

// Runs on the engine's thread.
ProcessOutcome Process(const ProcessRequest& request, CallPorts& ports);

}  // namespace kelvara::python
