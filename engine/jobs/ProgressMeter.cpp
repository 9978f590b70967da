#include "jobs/ProgressMeter.h"

#include <cstdio>

namespace kelvara {

ProgressMeter::ProgressMeter(JobPort& port, std::int64_t firstFileSize)
    : port_(port), estimatedBlocks_(firstFileSize > 0 ? firstFileSize / kBytesPerBlock : 0) {
    // A file under one block's worth still is at least one block.
    if (estimatedBlocks_ == 0) estimatedBlocks_ = 1;
    port_.SetProgressRange(0, 100);
    port_.SetProgressStep(estimatedBlocks_ >= 100 ? 1 : static_cast<int>(100 / estimatedBlocks_));
    // Every run starts from an empty bar.
    port_.SetProgressPosition(0);
}

void ProgressMeter::Show() {
    const std::int64_t percentage = blocksBegun_ * 100 / estimatedBlocks_;
    char text[32];
    std::snprintf(text, sizeof text, "%lld%%", static_cast<long long>(percentage));
    port_.SetPercentText(text);
    if (percentage > lastStepped_) {
        port_.StepProgress();
        lastStepped_ = percentage;
    }
}

}  // namespace kelvara
