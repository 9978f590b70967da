#pragma once
// The default method over several raw files, as the batch reads them: each
// file a run of its own on one of `jobs` threads, the rows in the order the
// files were given. The first file that fails stops the others.

#include <filesystem>
#include <optional>

#include "CallPorts.h"
#include "jobs/JobInputs.h"
#include "jobs/ResultTable.h"

namespace kelvara::python {

struct EachFile {
    const RunInputs& inputs;  // files, input format and jobs
    RotationInputs rotation;
    std::optional<std::filesystem::path> rangeFile;
    std::filesystem::path outputDir;
    std::size_t firstPort = 0;  // file i reports to port firstPort + i
};

// False when a file failed (its port holds why) or the call was cancelled.
bool ProcessEachFileOnItsOwn(const EachFile& each, CallPorts& ports, ResultTable& table);

}  // namespace kelvara::python
