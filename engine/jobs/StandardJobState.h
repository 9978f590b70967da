#pragma once
// What a standard-methods job holds for its lifetime: one growing block,
// reused for every half hour, the range limits, the stream reader and the
// results file.

#include "io/StandardResultsFile.h"
#include "io/StreamReader.h"
#include "pipeline/RangeLimits.h"
#include "pipeline/StandardBlock.h"

namespace kelvara {

struct StandardJobState {
    StandardBlock block;
    RangeLimits limits;
    StreamReader reader;
    StandardResultsFile results;

    // Closes every file of a run, whatever way the run ends; the results
    // file goes in place with what was written. False when that failed.
    bool CloseFiles() {
        reader.Close();
        return results.Close();
    }
};

}  // namespace kelvara
