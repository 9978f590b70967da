#include "jobs/StreamProgress.h"

#include <cstdio>

namespace kelvara {

StreamProgress::StreamProgress(JobPort& port, std::int64_t totalBytes) : port_(port), total_(totalBytes) {
    port_.SetProgressRange(0, 100);
    port_.SetProgressStep(1);
    port_.SetProgressPosition(0);
}

void StreamProgress::Show(std::int64_t consumed) {
    port_.ShowBytesRead(consumed, total_);
    if (total_ <= 0) return;
    // A file that grew while it was read can run past its size.
    const std::int64_t percentage = consumed >= total_ ? 100 : consumed * 100 / total_;
    if (percentage <= shown_) return;
    shown_ = percentage;
    char text[32];
    std::snprintf(text, sizeof text, "%lld%%", static_cast<long long>(percentage));
    port_.SetPercentText(text);
    port_.SetProgressPosition(static_cast<int>(percentage));
}

}  // namespace kelvara
