#pragma once
// What a method is made of, in one place: its block, reader, results lines
// and per-block step. The jobs are written once over these traits, and a
// method becomes its types only in WithMethod.

#include <string_view>
#include <utility>

#include "io/RawReader.h"
#include "io/ResultsFile.h"
#include "io/StreamReader.h"
#include "jobs/BlockSources.h"
#include "pipeline/BlockBuffer.h"
#include "pipeline/BlockPipeline.h"
#include "pipeline/Methods.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

template <Methods>
struct MethodTraits;

// The types every method names; its per-block step is the pipeline's
// ProcessBlock for its block.
template <Methods kMethod, class BlockType, class ReaderType, class BlocksType, class ResultType>
struct MethodTypes {
    static constexpr Methods kMethods = kMethod;
    using Block = BlockType;
    using Reader = ReaderType;
    using Blocks = BlocksType;
    using Result = ResultType;
};

template <>
struct MethodTraits<Methods::Default>
    : MethodTypes<Methods::Default, BlockBuffer, RawReader, DefaultBlocks, FluxResult> {
    static constexpr std::string_view kHeader = kResultsHeader;
};

template <>
struct MethodTraits<Methods::Standard>
    : MethodTypes<Methods::Standard, StandardBlock, StreamReader, StandardBlocks, StandardResult> {
    static constexpr std::string_view kHeader = kStandardResultsHeader;
};

// What a job holds for a method for its lifetime: one block, reused for
// every half hour, the range limits, the reader and the results file.
template <class Traits>
struct MethodState {
    typename Traits::Block block;
    RangeLimits limits;
    typename Traits::Reader reader;
    ResultsFile results;

    // Closes every file of a run that ended well; the results file goes in
    // place. False when that failed.
    bool CloseFiles() {
        reader.Close();
        return results.Close();
    }
};

// Calls body with the traits of the method: the one place where a method
// chooses its types.
template <class Body>
decltype(auto) WithMethod(Methods methods, Body&& body) {
    if (methods == Methods::Standard) return std::forward<Body>(body)(MethodTraits<Methods::Standard>{});
    return std::forward<Body>(body)(MethodTraits<Methods::Default>{});
}

}  // namespace kelvara
