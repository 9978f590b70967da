#pragma once
// What a processing job holds for its lifetime: one block buffer (about
// 900 KiB, allocated once per job, reused for every block), the range limits,
// the reader and the results file.

#include "io/RawReader.h"
#include "io/ResultsFile.h"
#include "pipeline/BlockBuffer.h"
#include "pipeline/RangeLimits.h"

namespace kelvara {

struct JobState {
    BlockBuffer block;
    RangeLimits limits;
    RawReader reader;
    ResultsFile results;

    // Closes every file of a run, whatever way the run ends; the results
    // file goes in place with what was written. False when that failed.
    bool CloseFiles() {
        reader.Close();
        return results.Close();
    }
};

}  // namespace kelvara
