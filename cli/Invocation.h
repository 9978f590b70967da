#pragma once
// What the user asked for on the command line, as the jobs take it: parsed
// once, after every option was checked, so no text is read twice.

#include <optional>
#include <string>

#include "AppendJob.h"
#include "PlotCommand.h"
#include "jobs/JobInputs.h"
#include "jobs/PlaneFitJob.h"

namespace kelvara::cli {

enum class Command { Run, Batch, Append, PlaneFit, Plot, ShowRange, SiteTemplate };

struct Invocation {
    Command command = Command::Run;
    bool quiet = false;
    std::optional<std::string> rangeFile;  // as typed; none: range.ini of the Windows directory

    RunInputs run;
    std::string runList;  // a list file of more raw files for the run's stream
    BatchInputs batch;
    // "--planar-fit auto": the plane is fitted over the run's or batch's own
    // raw files before they are processed; until then the inputs hold a
    // placeholder plane.
    bool fitPlane = false;
    bool checkOnly = false;  // batch: every check, nothing written

    PlaneFitInputs planeFit;
    bool json = false;  // planefit's report as one JSON object

    PlotRequest plot;
    AppendInputs append;
};

}  // namespace kelvara::cli
