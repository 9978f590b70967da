#pragma once
// Progress by the bytes of raw data read, of all a job reads: a bar of 0 to
// 100 with its "%d%%" text, and the bytes for ports that draw them. A count
// of blocks would mislead here, since a 20 Hz half hour is twice the bytes
// of a 10 Hz one.

#include <cstdint>

#include "jobs/JobPort.h"

namespace kelvara {

class ByteProgress {
public:
    // Sets the bar to 0 of 0..100.
    ByteProgress(JobPort& port, std::int64_t totalBytes);

    // done of the total bytes read: the bar and the text move when the
    // percentage rises.
    void Show(std::int64_t done);

private:
    JobPort& port_;
    std::int64_t total_;
    std::int64_t shown_ = 0;  // the percentage on the bar
};

}  // namespace kelvara
