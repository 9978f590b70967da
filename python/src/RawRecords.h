#pragma once
// kelvara.read_raw: the records of a raw file as the standard methods' reader
// sees them, each with its full time stamp, in columns.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PythonPort.h"
#include "io/InputFormat.h"
#include "pipeline/Variable.h"

namespace kelvara::python {

struct RawColumns {
    std::vector<std::int64_t> time;  // ns since 1970 of the logger's clock
    std::vector<float> value[kVariableCount];
    std::vector<std::int32_t> status;
};

// Runs on the engine's thread. Throws CannotOpenFile or JobFailed (a header
// the columns do not fit, a time stamp that does not read, a read error);
// stops early, with the records so far, when cancel is set.
RawColumns ReadRawColumns(const std::string& file, const InputFormat& format, const std::atomic<bool>& cancel,
                          std::atomic<std::int64_t>& bytesRead);

}  // namespace kelvara::python
