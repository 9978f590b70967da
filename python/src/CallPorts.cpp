#include "CallPorts.h"

#include <filesystem>

#include "io/FileNames.h"

namespace kelvara::python {

CallPorts::CallPorts(std::size_t count, std::int64_t bytesTotal) : bytesTotal_(bytesTotal) {
    for (std::size_t i = 0; i < count; ++i) ports_.push_back(std::make_unique<PythonPort>(cancel_));
}

std::int64_t CallPorts::BytesDone() const {
    std::int64_t done = 0;
    for (const auto& port : ports_) done += port->BytesDone();
    return done;
}

std::vector<std::string> CallPorts::TakeWarnings() {
    std::vector<std::string> warnings;
    for (const auto& port : ports_) {
        for (std::string& warning : port->TakeWarnings()) warnings.push_back(std::move(warning));
    }
    return warnings;
}

const JobFailure* CallPorts::FirstFailure() const {
    for (const auto& port : ports_) {
        if (port->Failure()) return &*port->Failure();
    }
    return nullptr;
}

std::int64_t TotalBytes(const std::vector<std::string>& files) {
    std::int64_t total = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(PathFromText(file), error);
        if (!error) total += static_cast<std::int64_t>(size);
    }
    return total;
}

}  // namespace kelvara::python
