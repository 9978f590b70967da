#include "PipelineRun.h"

#include <memory>

#include "BlockPipeline.h"
#include "RangeLimits.h"
#include "RawReader.h"

namespace kelvara::bench {

PipelineTally RunPipeline(const std::filesystem::path& file) {
    PipelineTally tally;
    // Both are large (the block buffer is close to 1 MiB): keep them off the stack.
    auto reader = std::make_unique<ReaderState>();
    auto block = std::make_unique<BlockBuffer>();
    if (!reader->first.Open(file)) return tally;
    tally.opened = true;
    SkipHeaderLines(reader->first);
    reader->noSecondFile = true;

    const RangeLimits limits = DefaultRangeLimits();
    const RotationSettings rotation;  // 2-axis rotation
    FluxResult result{};
    while (true) {
        const int n = ReadBlock(*reader, *block);
        if (n >= 5) {
            ++tally.blocks;
            tally.records += n;
            if (ProcessBlock(*block, n, limits, rotation, result) == BlockOutcome::Computed) {
                ++tally.computed;
                tally.checksum += static_cast<double>(result.ustar) + result.Hs + result.Fc_leuning;
            }
        }
        if (reader->endOfFirstFile) break;
    }
    reader->first.Close();
    return tally;
}

}  // namespace kelvara::bench
