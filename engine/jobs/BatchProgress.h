#pragma once
// The batch's progress text, the same in both methods.

#include <cstdio>

#include "jobs/JobPort.h"

namespace kelvara {

inline void ShowFileAndBlock(JobPort& port, int fileNumber, int blockCounter) {
    char text[64];
    std::snprintf(text, sizeof text, "Processing file %d ,record %d", fileNumber, blockCounter);
    port.SetStatusText(StatusText::ProgressText, text);
}

}  // namespace kelvara
