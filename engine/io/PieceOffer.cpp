#include "io/PieceOffer.h"

#include "io/SpinBriefly.h"

namespace kelvara {

void PieceOffer::Offer(const char* begin, const char* end, RecordColumns& columns) {
    begin_ = begin;
    end_ = end;
    columns_ = &columns;
    state_.store(kOffered, std::memory_order_release);
    if (wake_) wake_();
}

void PieceOffer::Finish() {
    if (Take()) {
        Parse();
    } else {
        // A helper has it: wait for its last store.
        if (!SpinBriefly([&] { return state_.load(std::memory_order_acquire) != kTaken; })) {
            state_.wait(kTaken, std::memory_order_acquire);
        }
    }
    state_.store(kIdle, std::memory_order_relaxed);
}

bool PieceOffer::Help() {
    if (!Take()) return false;
    Parse();
    state_.store(kParsed, std::memory_order_release);
    state_.notify_one();
    return true;
}

}  // namespace kelvara
