#include "RunReport.h"

#include <cstdint>
#include <vector>

#include "pipeline/BlockPipeline.h"

namespace kelvara::cli {

namespace {

std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

// Why the records read gave no fluxes, cause by cause.
std::string WhyRecordsWereDropped(const RunTally& tally, const NoFluxContext& context) {
    std::vector<std::string> parts;
    if (tally.recordsBadStatus > 0) {
        parts.push_back(std::to_string(tally.recordsBadStatus) + " dropped for a status outside " + context.goodStatus);
    }
    if (tally.recordsInShortBlocks > 0) {
        parts.push_back(std::to_string(tally.recordsInShortBlocks) + " in half hours of fewer than " +
                        std::to_string(kMinimumBlockSamples));
    }
    if (tally.samplesOutOfRange > 0) {
        parts.push_back(Counted(tally.samplesOutOfRange, "value", "values") + " out of range");
    }
    return parts.empty() ? "" : ": " + Joined(parts);
}

}  // namespace

std::string RunSummary(const RunTally& tally) {
    const int written = tally.blocksComputed + tally.blocksRejected;
    const std::int64_t dropped = tally.recordsBadStatus + tally.recordsInShortBlocks;
    return "Summary: " + Counted(written, "half hour", "half hours") + " written (" +
           std::to_string(tally.blocksRejected) + " rejected), " +
           Counted(tally.shortBlocksSkipped, "short one", "short ones") + " skipped; " +
           Counted(tally.recordsRead, "record", "records") + " read, " + std::to_string(dropped) + " dropped";
}

std::string NoFluxWarning(const RunTally& tally, const NoFluxContext& context) {
    if (tally.blocksComputed > 0) return "";
    std::string warning = "kelvara-cli: warning: no fluxes computed: ";
    if (tally.recordsRead == 0) return warning + "no records after the four header lines";
    const std::string usable = std::to_string(kMinimumBlockSamples) + " usable records";
    const bool someTooShort = tally.shortBlocksSkipped > 0 || tally.recordsBadStatus > 0;
    if (tally.blocksRejected == 0) {
        warning += "no half hour had " + usable;
    } else if (someTooShort) {
        warning += "every half hour was rejected or had fewer than " + usable;
    } else {
        warning += "every half hour was rejected";
    }
    warning += "; " + Counted(tally.recordsRead, "record", "records") + " read" + WhyRecordsWereDropped(tally, context);
    // A column too many (a record number, say) moves a value into the status.
    if (context.suggestAutoColumns) {
        warning += " (the header names a record-number column: try --columns auto)";
    } else if (tally.recordsBadStatus == tally.recordsRead) {
        warning += " (is the status the last field of each record?)";
    }
    return warning;
}

}  // namespace kelvara::cli
