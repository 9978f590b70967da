#pragma once
// The standard methods' block pipeline over one raw file, as the standard
// batch runs it, and both processing jobs end to end in this process.

#include <filesystem>

#include "PipelineRun.h"

namespace kelvara::bench {

PipelineTally RunStandardPipeline(const std::filesystem::path& file);

// A whole run of the file into outputStem plus the results suffix, with a
// port that shows nothing; false when the job did not finish.
bool RunDefaultJob(const std::filesystem::path& file, const std::filesystem::path& outputStem);
bool RunStandardJob(const std::filesystem::path& file, const std::filesystem::path& outputStem);

}  // namespace kelvara::bench
