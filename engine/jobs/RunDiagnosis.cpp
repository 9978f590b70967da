#include "jobs/RunDiagnosis.h"

#include <cstdint>

#include "io/ColumnLayout.h"
#include "io/ColumnsBeyondLines.h"
#include "io/NumberText.h"
#include "io/RangeFile.h"
#include "jobs/JobMessages.h"
#include "jobs/JobPort.h"

namespace kelvara {

namespace {

std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// Why the records read gave no fluxes, cause by cause.
std::string WhyRecordsWereDropped(const RunTally& tally, const DiagnosisContext& context) {
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
    return parts.empty() ? "" : ": " + Joined(parts, ", ");
}

std::string NoFluxCause(const RunTally& tally, const DiagnosisContext& context) {
    if (tally.recordsRead == 0) {
        if (auto beyond = ColumnsBeyondLines(context.firstRawFile, context.firstLayout)) return *beyond;
        return "no records after the four header lines";
    }
    const std::string usable = std::to_string(kMinimumBlockSamples) + " usable records";
    const bool someTooShort = tally.shortBlocksSkipped > 0 || tally.recordsBadStatus > 0;
    std::string cause;
    if (tally.blocksRejected == 0) {
        cause = "no half hour had " + usable;
    } else if (someTooShort) {
        cause = "every half hour was rejected or had fewer than " + usable;
    } else {
        cause = "every half hour was rejected";
    }
    return cause + "; " + Counted(tally.recordsRead, "record", "records") + " read" +
           WhyRecordsWereDropped(tally, context);
}

std::string Limit(const DiagnosisContext& context, Variable variable, bool maximum) {
    char value[32];
    FormatGeneral(maximum ? context.limits.Maximum(variable) : context.limits.Minimum(variable), value);
    return std::string(kRangeLabels[static_cast<std::size_t>(2 * variable + (maximum ? 1 : 0))]) + " " + value;
}

std::string RangeRejection(const RangeMisses& misses, Variable variable, const DiagnosisContext& context) {
    std::vector<std::string> parts;
    if (misses.belowMinimum > 0) {
        parts.push_back(Counted(misses.belowMinimum, "value", "values") + " below " + Limit(context, variable, false));
    }
    if (misses.aboveMaximum > 0) {
        parts.push_back(Counted(misses.aboveMaximum, "value", "values") + " above " + Limit(context, variable, true));
    }
    if (misses.notANumber > 0) parts.push_back(Counted(misses.notANumber, "value", "values") + " not a number");
    const std::string label = kRangeLabels[static_cast<std::size_t>(2 * variable)];
    return label.substr(0, label.find('-')) + ": " + Joined(parts, ", ") + " (" + context.rangeSource + ")";
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

RunDiagnosis DiagnoseRun(const RunTally& tally, const DiagnosisContext& context) {
    RunDiagnosis diagnosis;
    if (tally.blocksComputed == 0) {
        diagnosis.noFluxes = NoFluxCause(tally, context);
        // A column too many (a record number, say) moves a value into the status.
        if (context.readsByPosition && !context.firstRawFile.empty() && HeaderNamesRecordColumn(context.firstRawFile)) {
            diagnosis.hint = NoFluxHint::ColumnMap;
        } else if (tally.recordsRead > 0 && tally.recordsBadStatus == tally.recordsRead) {
            diagnosis.hint = NoFluxHint::StatusField;
        }
    }
    for (int v = 0; v < kVariableCount; ++v) {
        const RangeMisses& misses = tally.rangeMisses[v];
        if (misses.belowMinimum + misses.aboveMaximum + misses.notANumber == 0) continue;
        diagnosis.rangeRejections.push_back(RangeRejection(misses, static_cast<Variable>(v), context));
    }
    return diagnosis;
}

std::string NoFluxReason(const RunDiagnosis& diagnosis, std::string_view askAuto) {
    switch (diagnosis.hint) {
        case NoFluxHint::ColumnMap:
            return diagnosis.noFluxes + " (the header names a record-number column: try " + std::string(askAuto) + ")";
        case NoFluxHint::StatusField:
            return diagnosis.noFluxes + " (is the status the last field of each record?)";
        case NoFluxHint::None:
            break;
    }
    return diagnosis.noFluxes;
}

void ConcludeJob(JobPort& port, const RunTally& tally, const DiagnosisContext& context) {
    const RunDiagnosis diagnosis = DiagnoseRun(tally, context);
    if (!diagnosis.noFluxes.empty()) {
        port.ShowNoFluxes(diagnosis);
        return;
    }
    if (!diagnosis.rangeRejections.empty()) {
        port.ShowWarning(Counted(tally.blocksRejectedForRange, "half hour", "half hours") +
                         " rejected by the range limits: " + Joined(diagnosis.rangeRejections, "; "));
    }
    Show(port, messages::kFinished);
}

}  // namespace kelvara
