#pragma once
// What each method does with a half hour its reader gives: the per-block
// step and the line it writes. The default and standard methods are the
// pipeline's; the corrected method screens as the standard one does, then
// corrects and flags.

#include <string_view>

#include "corrections/CorrectedFluxes.h"
#include "corrections/CorrectionWorkspace.h"
#include "corrections/SiteSettings.h"
#include "io/FluxResultsLine.h"
#include "io/ResultsFile.h"
#include "io/TimeStamp.h"
#include "jobs/BlockSources.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/Rotation.h"

namespace kelvara {

enum class StepOutcome { Computed, Rejected, OutOfMemory };

// The pipeline's step for its block and result; the line is the results
// file's Time field and its columns.
template <class Block, class Result>
struct PipelineStep {
    static constexpr std::string_view kLineEnd = "\r\n";

    StepOutcome Process(Block& block, const RangeLimits& limits, const RotationSettings& rotation, Result& result) {
        return ProcessBlock(block, limits, rotation, result) == BlockOutcome::Computed ? StepOutcome::Computed
                                                                                       : StepOutcome::Rejected;
    }
    static int FormatLine(const BlockRead<Block>& read, const Result& result, char* out) {
        return FormatBlockLine(read.time, result, out);
    }
    static int FormatRejected(const BlockRead<Block>& read, char* out) { return FormatRejectedLine(read.time, out); }
};

// The corrections on the standard methods' screened block, with the site's
// settings and a workspace that grows once to the largest half hour.
class CorrectionStep {
public:
    static constexpr std::string_view kLineEnd = "\n";

    void SetSettings(const FluxSettings& settings) { settings_ = settings; }
    StepOutcome Process(StandardBlock& block, const RangeLimits& limits, const RotationSettings& rotation,
                        CorrectedFluxes& result) {
        if (ScreenBlock(block, limits) == BlockOutcome::Rejected) return StepOutcome::Rejected;
        result = CorrectedFluxes{};
        return ComputeCorrectedFluxes(block, rotation, settings_, workspace_, result) ? StepOutcome::Computed
                                                                                      : StepOutcome::OutOfMemory;
    }
    static int FormatLine(const BlockRead<StandardBlock>& read, const CorrectedFluxes& result, char* out) {
        return FormatFluxLine(HalfHourEnd(read.halfHour), result, out);
    }
    static int FormatRejected(const BlockRead<StandardBlock>& read, char* out) {
        return FormatRejectedFluxLine(HalfHourEnd(read.halfHour), out);
    }

private:
    FluxSettings settings_;
    CorrectionWorkspace workspace_;
};

}  // namespace kelvara
