#pragma once
// A short busy wait before a thread goes to sleep. Waking a sleeping thread
// costs tens of microseconds on a virtual machine, as long as a buffer's
// half takes to parse; the threads that hand pieces and blocks to each other
// several thousand times a run spin for about that long first.

#include <chrono>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace kelvara {

inline void RelaxCpu() {
#if defined(__SSE2__) || defined(_M_X64)
    _mm_pause();
#endif
}

// True as soon as done() is; false once about limit has passed without it.
template <class Done>
bool SpinBriefly(Done done, std::chrono::microseconds limit = std::chrono::microseconds(50)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (done()) return true;
            RelaxCpu();
        }
        if (std::chrono::steady_clock::now() >= until) return false;
    }
}

}  // namespace kelvara
