#include "ReleasedCall.h"

#include <pybind11/pybind11.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace py = pybind11;

namespace kelvara::python {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);

}  // namespace

void RunReleased(const std::function<void()>& work, std::atomic<bool>& cancel, const std::function<void()>& tick) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr workFailure;
    std::optional<py::error_already_set> interruption;

    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            workFailure = std::current_exception();
        }
        const std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    });
    {
        const py::gil_scoped_release release;
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, kPollInterval, [&] { return done; })) {
            lock.unlock();
            {
                const py::gil_scoped_acquire acquire;
                if (!interruption) {
                    try {
                        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
                        tick();
                    } catch (py::error_already_set& error) {
                        interruption.emplace(std::move(error));
                        cancel.store(true);
                    }
                }
            }
            lock.lock();
        }
    }
    worker.join();
    if (interruption) throw std::move(*interruption);
    if (workFailure) std::rethrow_exception(workFailure);
}

}  // namespace kelvara::python
