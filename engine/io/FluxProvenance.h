#pragma once
// OUT.flux.json: how a corrected results file was made, beside it.

#include <string>
#include <vector>

#include "corrections/SiteSettings.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Rotation.h"

namespace kelvara {

struct FluxProvenance {
    std::string programVersion;
    SiteSettings site;
    double fs = 0.0;                // Hz, as used
    bool fsFromTimeStamps = false;  // `fs = auto`
    RotationSettings rotation;
    RangeLimits limits{};
    std::string columns;     // the column map, as --columns reads it ("default", "auto", ...)
    std::string statusRule;  // the good status values, e.g. "0-13"
    std::vector<std::string> inputFiles;
};

// The JSON text, indented, with a final LF. Numbers that are not finite are
// null; the site file's keys come in its own order, every default filled in.
std::string FluxProvenanceJson(const FluxProvenance& provenance);

}  // namespace kelvara
