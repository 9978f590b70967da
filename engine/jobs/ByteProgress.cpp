#include "jobs/ByteProgress.h"

#include <algorithm>
#include <string>

namespace kelvara {

ByteProgress::ByteProgress(JobPort& port, std::int64_t totalBytes) : port_(port), total_(totalBytes) {
    port_.SetProgressRange(0, 100);
    port_.SetProgressStep(1);
    port_.SetProgressPosition(0);
    port_.SetPercentText("0%");
}

void ByteProgress::Show(std::int64_t done) {
    port_.ShowBytesRead(done, total_);
    // Nothing to read is all read; a file that grew while it was read can
    // run past its size.
    const std::int64_t percentage = total_ > 0 ? std::min<std::int64_t>(done * 100 / total_, 100) : 100;
    if (percentage <= shown_) return;
    shown_ = percentage;
    port_.SetProgressPosition(static_cast<int>(percentage));
    port_.SetPercentText(std::to_string(percentage) + "%");
}

}  // namespace kelvara
