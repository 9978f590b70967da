#include "PipelineRun.h"

#include <memory>

#include "io/RawReader.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara::bench {

PipelineTally RunPipeline(const std::filesystem::path& file) {
    PipelineTally tally;
    // Both are large (the block buffer is close to 1 MiB): keep them off the stack.
    auto reader = std::make_unique<RawReader>();
    auto block = std::make_unique<BlockBuffer>();
    if (!reader->OpenFirst(file)) return tally;
    tally.opened = true;

    const RangeLimits limits = BuiltInRangeLimits();
    const RotationSettings rotation;  // 2-axis rotation
    FluxResult result{};
    while (true) {
        const int n = reader->ReadBlock(*block);
        if (n >= kMinimumBlockSamples) {
            ++tally.blocks;
            tally.records += n;
            if (ProcessBlock(*block, limits, rotation, result) == BlockOutcome::Computed) {
                ++tally.computed;
                tally.checksum += static_cast<double>(result.ustar) + result.Hs + result.Fc_leuning;
            }
        }
        if (reader->FirstFileEnded()) break;
    }
    reader->Close();
    return tally;
}

}  // namespace kelvara::bench
