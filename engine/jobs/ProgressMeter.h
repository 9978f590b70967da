#pragma once
// The single run's progress: blocks begun against an estimate from the
// first file's size, shown as a bar and a "%d%%" text.

#include <cstdint>

#include "jobs/JobPort.h"

namespace kelvara {

inline constexpr std::int64_t kBytesPerBlock = 1453990;

class ProgressMeter {
public:
    // Sets the bar's range and step and starts it at 0.
    ProgressMeter(JobPort& port, std::int64_t firstFileSize);

    // Called once per block begun (before the block's end-of-file check).
    void BlockBegun() { ++blocksBegun_; }
    // Shows the percentage and steps the bar once per rise of it.
    void Show();

    int EstimatedBlocks() const { return static_cast<int>(estimatedBlocks_); }

private:
    JobPort& port_;
    std::int64_t estimatedBlocks_;
    std::int64_t blocksBegun_ = 0;
    std::int64_t lastStepped_ = 0;
};

}  // namespace kelvara
