#pragma once
// The standard run's progress: the bytes consumed of all its files, shown as
// a bar and a "%d%%" text. A block count would mislead here, since a 20 Hz
// half hour is twice the bytes of a 10 Hz one.

#include <cstdint>

#include "jobs/JobPort.h"

namespace kelvara {

class StreamProgress {
public:
    // Sets the bar's range to 0..100 and starts it at 0.
    StreamProgress(JobPort& port, std::int64_t totalBytes);

    // Tells the port the bytes read, and moves the bar and the text when
    // the percentage rises.
    void Show(std::int64_t consumed);

private:
    JobPort& port_;
    std::int64_t total_;
    std::int64_t shown_ = 0;
};

}  // namespace kelvara
