#include "jobs/JobPort.h"

#include <string>

#include "jobs/JobMessages.h"
#include "jobs/RunDiagnosis.h"

namespace kelvara {

void JobPort::ShowWarning(std::string_view text) {
    ShowMessage(text, messages::kWarningTitle, MessageIcon::Exclamation);
}

void JobPort::ShowFileWarning(std::string_view file, std::string_view text) {
    ShowWarning(std::string(file) + ": " + std::string(text));
}

std::string SharedHalfHoursText(std::string_view first, std::string_view second, std::string_view time, int pairs,
                                std::string_view joinedBy) {
    std::string text =
        std::string(first) + " and " + std::string(second) + " share the half hour ending " + std::string(time);
    if (pairs > 1) text += " (" + std::to_string(pairs) + " pairs of files share half hours)";
    return text + ": each file gives a line of part of its records, a partial half hour; " + std::string(joinedBy) +
           " reads the files as one stream and joins them";
}

void JobPort::ShowSharedHalfHours(std::string_view first, std::string_view second, std::string_view time, int pairs) {
    ShowWarning(SharedHalfHoursText(first, second, time, pairs, "a run over several files"));
}

void JobPort::ShowNoFluxes(const RunDiagnosis& diagnosis) {
    std::string text = "No fluxes computed: " + diagnosis.noFluxes + ".";
    for (const std::string& line : diagnosis.rangeRejections) text += "\n" + line;
    ShowMessage(text, messages::kNoFluxesTitle, MessageIcon::Exclamation);
}

}  // namespace kelvara
