#pragma once
// The append job: up to six text files end to end, head lines kept once.

#include <array>
#include <string>

#include "jobs/JobPort.h"

namespace kelvara {

inline constexpr int kAppendSlotCount = 6;

struct AppendInputs {
    std::string headLinesText;
    std::array<std::string, kAppendSlotCount> files;  // File 1 .. File 6; empty = unused slot
    std::string outputFile;
};

// One press of "OK". True when the job ended with "Processing Finished!".
bool RunAppendJob(const AppendInputs& inputs, JobPort& port);

}  // namespace kelvara
