#include "jobs/ReadFailures.h"

#include <cerrno>

#include "io/BlockTime.h"
#include "io/FileChecks.h"
#include "io/StreamReader.h"
#include "jobs/StreamOrder.h"

namespace kelvara {

namespace {

std::string HalfHourText(std::int64_t halfHour) {
    char time[kBlockTimeSize];
    FormatHalfHourEnd(halfHour, time);
    return time;
}

}  // namespace

FileFailure DescribeReadFailure(const ReadFailure& failure, const std::string& name, const std::filesystem::path& path,
                                const JobMessage& cannotOpen) {
    if (failure.openFailed) return {cannotOpen, name, ReasonCannotRead(path)};
    if (failure.badTimeStamp) {
        return {messages::kBadTimeStamp, name,
                BadTimeStampReason(failure.badTimeStamp->line, failure.badTimeStamp->text,
                                   failure.badTimeStamp->defaultLayout)};
    }
    if (failure.tooLarge && failure.error == ENOMEM) {
        return {messages::kOutOfMemory, name,
                "the half hour ending " + HalfHourText(failure.halfHour) + " does not fit in memory"};
    }
    if (failure.tooLarge) {
        return {messages::kHalfHourTooLarge, name,
                "the half hour ending " + HalfHourText(failure.halfHour) + " holds more than " +
                    std::to_string(kMaxHalfHourRecords) + " records (a logger clock that stuck?)"};
    }
    return {messages::kCannotReadRaw, name, SystemErrorText(failure.error)};
}

bool KeepsPartialResults(const ReadFailure& failure) { return !failure.badTimeStamp && !failure.tooLarge; }

}  // namespace kelvara
