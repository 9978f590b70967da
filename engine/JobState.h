#pragma once
// What a processing job holds for its lifetime: one block buffer (about
// 900 KiB, allocated once per job, reused for every block), the range limits
// and the reader state.

#include <filesystem>
#include <optional>

#include "BlockBuffer.h"
#include "RangeLimits.h"
#include "RawReader.h"
#include "ResultsFile.h"

namespace kelvara {

struct JobState {
    BlockBuffer block;
    RangeLimits limits;
    ReaderState reader;
    ResultsFile results;

    // Closes every file of a run, whatever way the run ends.
    void CloseFiles() {
        reader.first.Close();
        reader.second.Close();
        results.Close();
    }
};

inline void LoadLimitsForRun(RangeLimits& limits, const std::optional<std::filesystem::path>& rangeFile) {
    if (rangeFile) {
        LoadRangeLimits(limits, *rangeFile);
    } else {
        LoadRangeLimits(limits);
    }
}

}  // namespace kelvara
