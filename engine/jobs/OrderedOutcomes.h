#pragma once
// The one meeting point of a parallel batch's threads. Workers claim the
// list's entries in order and deliver each entry's outcome whenever it is
// done; the driver takes the outcomes strictly in list order. A worker may
// run at most `window` entries ahead of the entry the driver waits for, so
// finished but not yet taken outcomes (and their temporary files) stay few.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace kelvara {

template <class Outcome>
class OrderedOutcomes {
public:
    OrderedOutcomes(std::size_t count, std::size_t window) : slots_(count), window_(window > 0 ? window : 1) {}

    // The next entry to work on; nullopt when every entry is claimed or the
    // batch stopped. Waits while the next entry is too far ahead.
    std::optional<std::size_t> Claim() {
        std::unique_lock lock(mutex_);
        claimable_.wait(lock,
                        [&] { return stopped_ || nextClaim_ >= slots_.size() || nextClaim_ < nextTake_ + window_; });
        if (stopped_ || nextClaim_ >= slots_.size()) return std::nullopt;
        return nextClaim_++;
    }

    void Deliver(std::size_t index, Outcome outcome) {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(outcome);
        }
        delivered_.notify_all();
    }

    // The outcome of entry nextTake, once delivered; nullopt when it is not
    // there within the timeout. Taking it lets the workers move on.
    std::optional<Outcome> TakeNext(std::chrono::milliseconds timeout) {
        std::optional<Outcome> outcome;
        {
            std::unique_lock lock(mutex_);
            if (!delivered_.wait_for(lock, timeout, [&] { return slots_[nextTake_].has_value(); })) return outcome;
            outcome = std::move(slots_[nextTake_]);
            slots_[nextTake_].reset();
            ++nextTake_;
        }
        claimable_.notify_all();
        return outcome;
    }

    // No further claims; the work in hand is to end at its next block.
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        claimable_.notify_all();
    }
    bool Stopped() const {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable claimable_;
    std::condition_variable delivered_;
    std::vector<std::optional<Outcome>> slots_;
    const std::size_t window_;
    std::size_t nextClaim_ = 0;
    std::size_t nextTake_ = 0;
    bool stopped_ = false;
};

}  // namespace kelvara
