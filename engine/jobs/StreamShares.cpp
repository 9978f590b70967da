#include "jobs/StreamShares.h"

#include <system_error>

#include "io/StampedRecord.h"
#include "io/RawBytes.h"

namespace kelvara {

namespace {

// Enough of a file's end for its last few hundred records.
constexpr std::int64_t kGuessTailBytes = 64 * 1024;

std::int64_t SizeOf(const std::filesystem::path& file) { return RawContentSize(file); }

}  // namespace

std::vector<std::size_t> SplitIntoShares(const std::vector<std::filesystem::path>& paths, std::size_t shares) {
    shares = std::clamp<std::size_t>(shares, 1, std::max<std::size_t>(paths.size(), 1));
    std::vector<std::int64_t> sizes;
    std::int64_t total = 0;
    for (const auto& path : paths) {
        sizes.push_back(SizeOf(path));
        total += sizes.back();
    }
    std::vector<std::size_t> starts{0};
    std::int64_t before = 0;
    for (std::size_t file = 0; file < paths.size() && starts.size() < shares; ++file) {
        before += sizes[file];
        // A share ends once it holds its part of the bytes, leaving a file
        // for each share still to come.
        const auto share = static_cast<std::int64_t>(starts.size());
        const bool full = before * static_cast<std::int64_t>(shares) >= total * share;
        const std::size_t left = paths.size() - (file + 1);
        if ((full || left <= shares - starts.size()) && left > 0) starts.push_back(file + 1);
    }
    return starts;
}

std::vector<std::optional<TimePoint>> GuessKeptBefore(const StreamSettings& settings,
                                                      const std::vector<std::size_t>& starts) {
    std::vector<std::optional<TimePoint>> guesses(starts.size());
    for (std::size_t share = 1; share < starts.size(); ++share) {
        const std::size_t before = starts[share] - 1;
        guesses[share] = LatestGoodTimeNearEnd((*settings.paths)[before], (*settings.layouts)[before],
                                               settings.goodStatus, kGuessTailBytes);
        // Time only goes on: what was kept before a file is kept after it.
        if (guesses[share - 1] && (!guesses[share] || *guesses[share] < *guesses[share - 1])) {
            guesses[share] = guesses[share - 1];
        }
    }
    return guesses;
}

std::vector<std::optional<TimePoint>> TrueKeptBefore(const std::vector<ShareOutcome>& outcomes) {
    std::vector<std::optional<TimePoint>> truth(outcomes.size());
    for (std::size_t share = 1; share < outcomes.size(); ++share) {
        truth[share] = truth[share - 1];
        const auto& latest = outcomes[share - 1].latestGood;
        if (latest && (!truth[share] || *latest > *truth[share])) truth[share] = latest;
    }
    return truth;
}

}  // namespace kelvara
