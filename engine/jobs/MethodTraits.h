#pragma once
// What a method is made of, in one place: its block, reader, results lines
// and per-block step. The jobs are written once over these traits, and a
// method becomes its types only in WithMethod.

#include <memory>
#include <string_view>
#include <tuple>
#include <utility>

#include "io/RawReader.h"
#include "io/ResultsFile.h"
#include "io/StreamReader.h"
#include "jobs/BlockSources.h"
#include "jobs/BlockSteps.h"
#include "pipeline/BlockBuffer.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/Methods.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

template <Methods>
struct MethodTraits;

// The types every method names.
template <Methods kMethod, class BlockType, class ReaderType, class BlocksType, class ResultType, class StepType>
struct MethodTypes {
    static constexpr Methods kMethods = kMethod;
    using Block = BlockType;
    using Reader = ReaderType;
    using Blocks = BlocksType;
    using Result = ResultType;
    using Step = StepType;
};

template <>
struct MethodTraits<Methods::Default> : MethodTypes<Methods::Default, BlockBuffer, RawReader, DefaultBlocks, FluxResult,
                                                    PipelineStep<BlockBuffer, FluxResult>> {
    static constexpr std::string_view kHeader = kResultsHeader;
};

template <>
struct MethodTraits<Methods::Standard> : MethodTypes<Methods::Standard, StandardBlock, StreamReader, StandardBlocks,
                                                     StandardResult, PipelineStep<StandardBlock, StandardResult>> {
    static constexpr std::string_view kHeader = kStandardResultsHeader;
};

template <>
struct MethodTraits<Methods::Corrected>
    : MethodTypes<Methods::Corrected, StandardBlock, StreamReader, StandardBlocks, CorrectedFluxes, CorrectionStep> {
    static constexpr std::string_view kHeader = kFluxHeader;
};

// What a job holds for a method for its lifetime: one block, reused for
// every half hour, the range limits, the reader and the results file.
template <class Traits>
struct MethodState {
    typename Traits::Block block;
    RangeLimits limits;
    typename Traits::Reader reader;
    typename Traits::Step step;
    ResultsFile results;

    // Closes every file of a run that ended well; the results file goes in
    // place. False when that failed.
    bool CloseFiles() {
        reader.Close();
        return results.Close();
    }
};

// One state a method, made when first wanted and kept for the next press.
class MethodStates {
public:
    template <class Traits>
    MethodState<Traits>& Of() {
        auto& state = std::get<std::unique_ptr<MethodState<Traits>>>(states_);
        if (!state) state = std::make_unique<MethodState<Traits>>();
        return *state;
    }

private:
    std::tuple<std::unique_ptr<MethodState<MethodTraits<Methods::Default>>>,
               std::unique_ptr<MethodState<MethodTraits<Methods::Standard>>>,
               std::unique_ptr<MethodState<MethodTraits<Methods::Corrected>>>>
        states_;
};

// Calls body with the traits of the method: the one place where a method
// chooses its types.
template <class Body>
decltype(auto) WithMethod(Methods methods, Body&& body) {
    switch (methods) {
        case Methods::Standard:
            return std::forward<Body>(body)(MethodTraits<Methods::Standard>{});
        case Methods::Corrected:
            return std::forward<Body>(body)(MethodTraits<Methods::Corrected>{});
        case Methods::Default:
            break;
    }
    return std::forward<Body>(body)(MethodTraits<Methods::Default>{});
}

}  // namespace kelvara
