#include "StandardPipelineRun.h"

#include <memory>

#include "io/StreamReader.h"
#include "jobs/JobPort.h"
#include "jobs/SingleRunJob.h"
#include "jobs/StandardRunJob.h"
#include "pipeline/BlockPipeline.h"

namespace kelvara::bench {

namespace {

class SilentPort : public JobPort {
public:
    void ShowMessage(std::string_view, std::string_view, MessageIcon) override {}
    SecondFileAnswer AskNoSecondFile() override { return SecondFileAnswer::Continue; }
    void SetProgressRange(int, int) override {}
    void SetProgressStep(int) override {}
    void SetProgressPosition(int) override {}
    void StepProgress() override {}
    void SetPercentText(std::string_view) override {}
    void SetStatusText(StatusText, std::string_view) override {}
};

}  // namespace

PipelineTally RunStandardPipeline(const std::filesystem::path& file) {
    PipelineTally tally;
    if (!std::filesystem::is_regular_file(file)) return tally;
    StreamReader reader;
    auto block = std::make_unique<StandardBlock>();
    reader.Start({file});
    tally.opened = true;

    const RangeLimits limits = DefaultRangeLimits();
    const RotationSettings rotation;  // double rotation
    StandardResult result{};
    while (reader.ReadBlock(*block)) {
        if (block->count < kMinimumBlockSamples) continue;
        ++tally.blocks;
        tally.records += block->count;
        if (ProcessStandardBlock(*block, limits, rotation, result) == BlockOutcome::Computed) {
            ++tally.computed;
            tally.checksum += static_cast<double>(result.ustar) + result.H + result.Fc;
        }
    }
    tally.opened = !reader.Failed();
    return tally;
}

bool RunDefaultJob(const std::filesystem::path& file, const std::filesystem::path& outputStem) {
    SilentPort port;
    return SingleRunJob().Run({.firstFile = file.string(), .outputFile = outputStem.string()}, port);
}

bool RunStandardJob(const std::filesystem::path& file, const std::filesystem::path& outputStem) {
    SilentPort port;
    return StandardRunJob().Run({.files = {file.string()}, .outputFile = outputStem.string()}, port);
}

}  // namespace kelvara::bench
