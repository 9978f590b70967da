#pragma once
// Why a method's reader stopped, as its job tells it.

#include <filesystem>
#include <string>

#include "jobs/BlockSources.h"
#include "jobs/JobFrame.h"
#include "jobs/JobMessages.h"

namespace kelvara {

// The failure of the named file; cannotOpen is the job's message for a file
// that would not open.
FileFailure DescribeReadFailure(const ReadFailure& failure, const std::string& name, const std::filesystem::path& path,
                                const JobMessage& cannotOpen);

// What the stream gave before a failure is worth keeping beside the results
// file, unless a time stamp does not read or a half hour outgrew its bound:
// then the whole stream is in doubt.
bool KeepsPartialResults(const ReadFailure& failure);

}  // namespace kelvara
