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

template <>
struct MethodTraits<Methods::Default> {
    static constexpr Methods kMethods = Methods::Default;
    using Block = BlockBuffer;
    using Reader = RawReader;
    using Blocks = DefaultBlocks;
    using Result = FluxResult;
    static constexpr std::string_view kHeader = kResultsHeader;
    // A raw file that cannot be read shows when it is opened, after its
    // results file exists, as the program has always done it.
    static constexpr bool kChecksReadableFirst = false;

    static BlockOutcome Process(Block& block, const RangeLimits& limits, const RotationSettings& rotation,
                                Result& result) {
        return ProcessBlock(block, limits, rotation, result);
    }
};

template <>
struct MethodTraits<Methods::Standard> {
    static constexpr Methods kMethods = Methods::Standard;
    using Block = StandardBlock;
    using Reader = StreamReader;
    using Blocks = StandardBlocks;
    using Result = StandardResult;
    static constexpr std::string_view kHeader = kStandardResultsHeader;
    // Every file of a stream is checked before the results file exists: a
    // file missing halfway down the stream would cost the whole run.
    static constexpr bool kChecksReadableFirst = true;

    static BlockOutcome Process(Block& block, const RangeLimits& limits, const RotationSettings& rotation,
                                Result& result) {
        return ProcessStandardBlock(block, limits, rotation, result);
    }
};

// What a job holds for a method for its lifetime: one block, reused for
// every half hour, the range limits, the reader and the results file.
template <class Traits>
struct MethodState {
    typename Traits::Block block;
    RangeLimits limits;
    typename Traits::Reader reader;
    ResultsFile results;

    // Closes every file of a run, whatever way the run ends; the results
    // file goes in place with what was written. False when that failed.
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
