#pragma once
// How a call's failures reach Python: a file that cannot be opened as the
// OSError of its errno (FileNotFoundError, PermissionError, ...) naming the
// file; a job's own failure as kelvara.Error with the message the programs
// show; a refused plane as kelvara.PlaneFitRefused. Thrown as C++
// exceptions, on the engine's thread too, and translated by the module.

#include <stdexcept>
#include <string>

#include "PythonPort.h"

namespace pybind11 {
class module_;
}

namespace kelvara::python {

struct JobFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct PlaneFitRefusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CannotOpenFile : std::runtime_error {
    CannotOpenFile(int number, const std::string& name, const std::string& reason)
        : std::runtime_error(reason), errorNumber(number), file(name) {}
    int errorNumber;
    std::string file;
};

// The exception for a failure the port kept.
[[noreturn]] void ThrowFailure(const JobFailure& failure);

// Defines kelvara.Error and kelvara.PlaneFitRefused in the module and
// translates the exceptions above.
void RegisterFailures(pybind11::module_& module);

}  // namespace kelvara::python
