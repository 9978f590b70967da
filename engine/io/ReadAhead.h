#pragma once
// Two slots filled in turn by a thread of their own, one ahead of the slot
// in use: reading the next block overlaps the processing of this one. What
// is read, and in which order, is the filling function's own; only the
// moment of reading moves.

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "io/PieceOffer.h"
#include "io/SpinBriefly.h"

namespace kelvara {

template <class Slot>
class ReadAhead {
public:
    // fill reads into a slot; it returns false when nothing follows the slot
    // it filled, and is not called again. Next must not be asked for more
    // slots than were filled. While Next waits it parses the pieces the
    // filling offers on help (if given), which must call Wake after each.
    ReadAhead(Slot& first, Slot& second, std::function<bool(Slot&)> fill, PieceOffer* help = nullptr)
        : slots_{&first, &second}, fill_(std::move(fill)), help_(help) {
        thread_ = std::jthread([this] { FillSlots(); });
    }
    // Stops the filling and waits for it.
    ~ReadAhead() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next slot filled. The slot given before is refilled from this
    // call on.
    Slot& Next() {
        std::unique_lock lock(mutex_);
        if (holding_) {
            ++free_;
            holding_ = false;
            changed_.notify_all();
        }
        for (;;) {
            if (ready_ == 0) {
                lock.unlock();
                SpinBriefly([&] { return readySeen_.load(std::memory_order_acquire) > 0 || OnOffer(); });
                lock.lock();
            }
            changed_.wait(lock, [&] { return ready_ > 0 || OnOffer(); });
            if (ready_ > 0) break;
            lock.unlock();
            help_->Help();
            lock.lock();
        }
        --ready_;
        readySeen_.store(ready_, std::memory_order_relaxed);
        holding_ = true;
        Slot& slot = *slots_[nextTaken_];
        nextTaken_ ^= 1;
        return slot;
    }

    // A piece is on offer: a waiting Next takes it.
    void Wake() {
        { std::lock_guard lock(mutex_); }
        changed_.notify_all();
    }

private:
    bool OnOffer() const { return help_ != nullptr && help_->OnOffer(); }

    void FillSlots() {
        for (std::size_t slot = 0;; slot ^= 1) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || free_ > 0; });
                if (stopping_) return;
                --free_;
            }
            const bool more = fill_(*slots_[slot]);
            {
                std::lock_guard lock(mutex_);
                ++ready_;
                readySeen_.store(ready_, std::memory_order_release);
            }
            changed_.notify_all();
            if (!more) return;
        }
    }

    std::array<Slot*, 2> slots_;
    std::function<bool(Slot&)> fill_;
    PieceOffer* help_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int free_ = 2;                   // slots the thread may fill
    int ready_ = 0;                  // slots filled and not yet taken
    std::atomic<int> readySeen_{0};  // ready_, for a look without the lock
    bool holding_ = false;
    bool stopping_ = false;
    std::size_t nextTaken_ = 0;
    std::jthread thread_;  // last: started once everything above exists
};

}  // namespace kelvara
