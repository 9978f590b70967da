#pragma once
// Pieces of record lines offered by the reading thread to a thread with
// nothing else to do: the block loop's thread, while it waits for the next
// block, parses pieces beside the reader; the pieces nobody takes the reader
// parses itself. On two cores the parse then fills whatever time the
// computation leaves, with no third thread to share them.
//
// The reader takes the pieces from the front and a helper from the back, so
// a helper that comes late still finds work, and the reader waits at most
// for the one piece the helper is parsing when they meet. Once the pieces
// are parsed, the stream's next load may be offered too.

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

#include "io/RawStream.h"
#include "io/RecordLines.h"

namespace kelvara {

class PieceOffer {
public:
    static constexpr int kMaxPieces = 8;

    // wake tells the threads that may help that work is on offer.
    explicit PieceOffer(std::function<void()> wake = {}) : wake_(std::move(wake)) {}
    PieceOffer(const PieceOffer&) = delete;
    PieceOffer& operator=(const PieceOffer&) = delete;

    // By the reader: offers the pieces i < count (at most kMaxPieces),
    // ParseRecordLines(starts[i], starts[i + 1], *columns[i]). Neither the
    // bytes nor the columns may be touched until Finish returns.
    void Offer(const char* const* starts, RecordColumns* const* columns, int count);
    // By the reader: parses the pieces nobody has taken, from the front.
    void ParseUntaken();
    // By the reader, after ParseUntaken: a helper is still parsing a piece.
    bool BeingHelped() const { return helped_.load(std::memory_order_acquire) != HelperPieces(); }
    // By the reader: ParseUntaken, then waits until every piece is parsed.
    void Finish();
    // By the reader: offers the stream's next load to be read ahead (see
    // RawStream::OfferPrefetch), once the pieces are parsed.
    void OfferPrefetch(RawStream& stream);

    // By any other thread: true while a piece or a load waits to be taken.
    bool OnOffer() const {
        const std::uint64_t claims = claims_.load(std::memory_order_acquire);
        if (Front(claims) < Back(claims)) return true;
        const RawStream* stream = stream_.load(std::memory_order_acquire);
        return stream != nullptr && stream->PrefetchOnOffer();
    }
    // Parses the last piece still untaken, or else reads the load on offer;
    // true when it did either.
    bool Help();

private:
    // The pieces not yet taken are [front, back) of the offer's generation,
    // in one word, so that each side takes its next piece with one
    // compare-and-swap and none is taken from an earlier offer.
    static int Front(std::uint64_t claims) { return static_cast<int>(claims & 0xffff); }
    static int Back(std::uint64_t claims) { return static_cast<int>((claims >> 16) & 0xffff); }
    static constexpr std::uint64_t kOneBack = std::uint64_t{1} << 16;
    static constexpr std::uint64_t kOneGeneration = std::uint64_t{1} << 32;

    // The piece taken, or -1 when none is left.
    int TakeFront();
    int TakeBack();
    // The pieces helpers took, once none is left to take.
    int HelperPieces() const { return count_ - Back(claims_.load(std::memory_order_relaxed)); }
    void Parse(int piece) { ParseRecordLines(starts_[piece], starts_[piece + 1], *columns_[piece]); }

    std::function<void()> wake_;
    const char* starts_[kMaxPieces + 1] = {};
    RecordColumns* columns_[kMaxPieces] = {};
    int count_ = 0;
    std::uint64_t generation_ = 0;
    std::atomic<std::uint64_t> claims_{0};
    std::atomic<int> helped_{0};               // pieces of this offer that helpers have parsed
    std::atomic<RawStream*> stream_{nullptr};  // the stream whose load was last offered
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
