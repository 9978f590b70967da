#pragma once
// OUT.flux.json beside a corrected results file: written under a temporary
// name with the results and put in place with them.

#include <filesystem>
#include <string>
#include <vector>

#include "corrections/SiteSettings.h"
#include "io/InputFormat.h"
#include "io/TemporaryFile.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Rotation.h"

namespace kelvara {

// What a corrected results file was made with.
struct ProvenanceInputs {
    FluxSettings settings;
    bool fsFromTimeStamps = false;
    RotationSettings rotation;
    RangeLimits limits{};
    InputFormat input;
    std::vector<std::string> files;  // as given
};

// The JSON file's name for a corrected results file's: ".flux.csv" becomes
// ".flux.json".
std::filesystem::path ProvenancePathOf(const std::filesystem::path& results);

// The JSON into a temporary beside target, closed, for the caller to commit
// with the results. False (the temporary's LastError set) when that failed.
bool WriteProvenance(const std::filesystem::path& target, const ProvenanceInputs& inputs, TemporaryFile& file);

}  // namespace kelvara
