#pragma once
// A piece of record lines offered by the reading thread to a thread with
// nothing else to do: the block loop's thread, while it waits for the next
// block, parses the piece beside the reader; when no thread takes it, the
// reader parses it itself. On two cores the parse then fills whatever time
// the computation leaves, with no third thread to share them.

#include <atomic>
#include <functional>
#include <utility>

#include "io/RecordLines.h"

namespace kelvara {

class PieceOffer {
public:
    // wake tells the threads that may help that a piece is on offer.
    explicit PieceOffer(std::function<void()> wake = {}) : wake_(std::move(wake)) {}
    PieceOffer(const PieceOffer&) = delete;
    PieceOffer& operator=(const PieceOffer&) = delete;

    // By the reader: offers ParseRecordLines(begin, end, columns). Neither
    // the bytes nor the columns may be touched until Finish returns.
    void Offer(const char* begin, const char* end, RecordColumns& columns);
    // By the reader: parses the piece itself unless another thread took
    // it, and returns once it is parsed.
    void Finish();

    // By any other thread: true while a piece waits to be taken.
    bool OnOffer() const { return state_.load(std::memory_order_acquire) == kOffered; }
    // Parses the piece on offer, if it is still untaken; true when it did.
    bool Help();

private:
    enum State { kIdle, kOffered, kTaken, kParsed };

    bool Take() {
        int offered = kOffered;
        return state_.compare_exchange_strong(offered, kTaken, std::memory_order_acq_rel);
    }
    void Parse() { ParseRecordLines(begin_, end_, *columns_); }

    std::function<void()> wake_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
    RecordColumns* columns_ = nullptr;
    std::atomic<int> state_{kIdle};
};

// A reader's parsing shared through an offer for as long as this lives.
template <class Reader>
class SharedParsing {
public:
    SharedParsing(Reader& reader, PieceOffer& offer) : reader_(reader) { reader_.ShareParsing(&offer); }
    ~SharedParsing() { reader_.ShareParsing(nullptr); }
    SharedParsing(const SharedParsing&) = delete;
    SharedParsing& operator=(const SharedParsing&) = delete;

private:
    Reader& reader_;
};

}  // namespace kelvara
