#pragma once
// The ports of one Python call, one for each job it runs, and its cancel
// flag. They are made before the work starts, so that the waiting thread may
// read their byte counts while the engine's threads write them.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PythonPort.h"

namespace kelvara::python {

class CallPorts {
public:
    // bytesTotal: of all the jobs read, for the progress bar.
    CallPorts(std::size_t count, std::int64_t bytesTotal);

    PythonPort& operator[](std::size_t index) { return *ports_[index]; }
    std::atomic<bool>& Cancel() { return cancel_; }

    std::int64_t BytesDone() const;
    std::int64_t BytesTotal() const { return bytesTotal_; }

    // After the work: every port's warnings, in port order, and the first
    // port's failure.
    std::vector<std::string> TakeWarnings();
    const JobFailure* FirstFailure() const;

private:
    std::atomic<bool> cancel_{false};
    std::vector<std::unique_ptr<PythonPort>> ports_;
    std::int64_t bytesTotal_;
};

// The sizes of the files, those that can be asked.
std::int64_t TotalBytes(const std::vector<std::string>& files);

}  // namespace kelvara::python
