#include "StandardPipelineRun.h"

#include <memory>

#include "io/StreamReader.h"
#include "jobs/JobPort.h"
#include "jobs/RunJob.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara::bench {

PipelineTally RunStandardPipeline(const std::filesystem::path& file) {
    PipelineTally tally;
    if (!std::filesystem::is_regular_file(file)) return tally;
    StreamReader reader;
    auto block = std::make_unique<StandardBlock>();
    reader.Start({file});
    tally.opened = true;

    const RangeLimits limits = BuiltInRangeLimits();
    const RotationSettings rotation;  // double rotation
    StandardResult result{};
    while (reader.ReadBlock(*block)) {
        if (block->count < kMinimumBlockSamples) continue;
        ++tally.blocks;
        tally.records += block->count;
        if (ProcessBlock(*block, limits, rotation, result) == BlockOutcome::Computed) {
            ++tally.computed;
            tally.checksum += static_cast<double>(result.ustar) + result.H + result.Fc;
        }
    }
    tally.opened = !reader.Failed();
    return tally;
}

bool RunDefaultJob(const std::filesystem::path& file, const std::filesystem::path& outputStem) {
    SilentPort port;
    return RunJob().Run({.files = {file.string()}, .outputFile = outputStem.string()}, port);
}

bool RunStandardJob(const std::filesystem::path& file, const std::filesystem::path& outputStem) {
    SilentPort port;
    return RunJob().Run({.methods = Methods::Standard, .files = {file.string()}, .outputFile = outputStem.string()},
                        port);
}

}  // namespace kelvara::bench
