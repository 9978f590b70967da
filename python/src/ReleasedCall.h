#pragma once
// Engine work on a thread of its own while the calling Python thread waits
// without the interpreter's lock, so that other Python threads run (and
// process files) meanwhile. About every 100 ms the waiting thread takes the
// lock back to see Ctrl+C and to draw the progress.

#include <atomic>
#include <functional>

namespace kelvara::python {

// Runs work to its end. Every tick (with the interpreter's lock) polls
// Python's signal handlers and then calls tick. A Python exception from
// either (KeyboardInterrupt from Ctrl+C) sets cancel, which the work must
// heed soon; once the work has ended, that exception is raised. Otherwise an
// exception of the work is thrown again here.
void RunReleased(const std::function<void()>& work, std::atomic<bool>& cancel, const std::function<void()>& tick);

}  // namespace kelvara::python
