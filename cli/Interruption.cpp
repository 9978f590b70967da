#include "Interruption.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

#include "io/TemporaryFile.h"

namespace kelvara::cli {

namespace {

// Only what a signal handler may do: plain writes of fixed texts.
void WriteError(const char* text, std::size_t length) {
#ifdef _WIN32
    _write(2, text, static_cast<unsigned>(length));
#else
    const ssize_t ignored = write(2, text, length);
    (void)ignored;
#endif
}

void WriteError(const char* text) { WriteError(text, std::strlen(text)); }

// Waits, a millisecond at a time and two seconds at most, for a creation or
// rename under way on another thread to end; a handler may sleep.
void WaitUntilSettled() {
    for (int waited = 0; waited < 2000 && !PendingTemporaries::Settled(); ++waited) {
#ifdef _WIN32
        Sleep(1);
#else
        timespec millisecond{0, 1000000};
        nanosleep(&millisecond, nullptr);
#endif
    }
}

extern "C" void OnInterruption(int signalNumber) {
    // From here on no temporary is created or renamed into place.
    PendingTemporaries::Close();
    WaitUntilSettled();
    WriteError("\nkelvara-cli: interrupted");
    PendingTemporaries::ForEachTarget([](const char* target) {
        WriteError("; ");
        WriteError(target);
        WriteError(" not written");
    });
    WriteError("\n");
    PendingTemporaries::DeleteAll();
    std::_Exit(128 + signalNumber);
}

}  // namespace

void EndCleanlyOnInterruption() {
    std::signal(SIGINT, OnInterruption);
    std::signal(SIGTERM, OnInterruption);
#ifdef SIGHUP
    std::signal(SIGHUP, OnInterruption);
#endif
}

}  // namespace kelvara::cli
