#pragma once
// The desktop batch's status texts: the wait notice while the files are
// processed, and "Processing file N ,record M" as the blocks are read. Each
// method counts the blocks its own way, as the desktop has always shown it.

#include <memory>

#include "jobs/BatchJob.h"
#include "jobs/JobPort.h"
#include "pipeline/Methods.h"

namespace kelvara {

std::unique_ptr<BatchObserver> MakeBatchStatusTexts(Methods methods, JobPort& port);

}  // namespace kelvara
