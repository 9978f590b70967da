#include "Failures.h"

#include <pybind11/pybind11.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "io/FileNames.h"
#include "jobs/JobMessages.h"

namespace py = pybind11;

namespace kelvara::python {

namespace {

// The messages of a raw or list file that did not open.
bool IsCannotOpenInput(const JobFailure& failure) {
    for (const JobMessage* message : {&messages::single_run::kCannotOpenFirst, &messages::single_run::kCannotOpenSecond,
                                      &messages::batch::kCannotOpenRaw, &messages::batch::kCannotOpenList}) {
        if (failure.text == message->text) return !failure.file.empty();
    }
    return false;
}

// The errno of opening the file now, for the OSError's class; EIO when it
// opens after all.
int ErrnoOfOpening(const std::string& name) {
    const std::filesystem::path path = PathFromText(name);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return ENOENT;
    if (std::filesystem::is_directory(path, error)) return EISDIR;
    errno = 0;
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return errno != 0 ? errno : EIO;
    std::fclose(file);
    return EIO;
}

// "title: text", and the file's line, as the command line shows them.
std::string MessageOf(const JobFailure& failure) {
    std::string message = failure.title + ": " + failure.text;
    if (!failure.file.empty()) message += "\n" + failure.file + ": " + failure.reason;
    return message;
}

}  // namespace

void ThrowFailure(const JobFailure& failure) {
    if (IsCannotOpenInput(failure)) throw CannotOpenFile(ErrnoOfOpening(failure.file), failure.file, failure.reason);
    throw JobFailed(MessageOf(failure));
}

void RegisterFailures(py::module_& module) {
    // Held for the process's life: the translator may run until the end.
    static auto* error = new py::exception<JobFailed>(module, "Error", PyExc_Exception);
    error->doc() = "A job failed: the message the programs show, and the file and reason when it names one.";
    static auto* refused = new py::exception<PlaneFitRefusal>(module, "PlaneFitRefused", error->ptr());
    refused->doc() = "The planar fit was refused: the data do not determine the plane (the reason says why).";
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const CannotOpenFile& failure) {
            const py::tuple arguments = py::make_tuple(failure.errorNumber, failure.what(), failure.file);
            PyErr_SetObject(PyExc_OSError, arguments.ptr());
        } catch (const PlaneFitRefusal& failure) {
            PyErr_SetString(refused->ptr(), failure.what());
        } catch (const JobFailed& failure) {
            PyErr_SetString(error->ptr(), failure.what());
        }
    });
}

}  // namespace kelvara::python
