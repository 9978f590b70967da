#include "io/PieceOffer.h"

#include "io/SpinBriefly.h"

namespace kelvara {

void PieceOffer::Offer(const char* const* starts, RecordColumns* const* columns, int count) {
    for (int i = 0; i < count; ++i) {
        starts_[i] = starts[i];
        columns_[i] = columns[i];
    }
    starts_[count] = starts[count];
    count_ = count;
    helped_.store(0, std::memory_order_relaxed);
    generation_ += kOneGeneration;
    claims_.store(generation_ | static_cast<std::uint64_t>(count) << 16, std::memory_order_release);
    if (wake_) wake_();
}

int PieceOffer::TakeFront() {
    std::uint64_t claims = claims_.load(std::memory_order_relaxed);
    while (Front(claims) < Back(claims)) {
        if (claims_.compare_exchange_weak(claims, claims + 1, std::memory_order_relaxed)) return Front(claims);
    }
    return -1;
}

int PieceOffer::TakeBack() {
    std::uint64_t claims = claims_.load(std::memory_order_acquire);
    while (Front(claims) < Back(claims)) {
        if (claims_.compare_exchange_weak(claims, claims - kOneBack, std::memory_order_acquire)) {
            return Back(claims) - 1;
        }
    }
    return -1;
}

void PieceOffer::ParseUntaken() {
    for (int piece = TakeFront(); piece >= 0; piece = TakeFront()) Parse(piece);
}

void PieceOffer::Finish() {
    ParseUntaken();
    const int helperPieces = HelperPieces();
    const auto parsed = [&] { return helped_.load(std::memory_order_acquire) == helperPieces; };
    if (SpinBriefly(parsed)) return;
    for (int seen = helped_.load(std::memory_order_acquire); seen != helperPieces;
         seen = helped_.load(std::memory_order_acquire)) {
        helped_.wait(seen, std::memory_order_acquire);
    }
}

void PieceOffer::OfferPrefetch(RawStream& stream) {
    stream_.store(&stream, std::memory_order_release);
    if (stream.OfferPrefetch() && wake_) wake_();
}

bool PieceOffer::Help() {
    const int piece = TakeBack();
    if (piece < 0) {
        RawStream* stream = stream_.load(std::memory_order_acquire);
        return stream != nullptr && stream->HelpPrefetch();
    }
    Parse(piece);
    helped_.fetch_add(1, std::memory_order_release);
    helped_.notify_one();
    return true;
}

}  // namespace kelvara
