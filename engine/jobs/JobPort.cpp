#include "jobs/JobPort.h"

#include <string>

#include "jobs/JobMessages.h"
#include "jobs/RunDiagnosis.h"

namespace kelvara {

void JobPort::ShowWarning(std::string_view text) {
    ShowMessage(text, messages::kWarningTitle, MessageIcon::Exclamation);
}

void JobPort::ShowNoFluxes(const RunDiagnosis& diagnosis) {
    std::string text = "No fluxes computed: " + diagnosis.noFluxes + ".";
    for (const std::string& line : diagnosis.rangeRejections) text += "\n" + line;
    ShowMessage(text, messages::kNoFluxesTitle, MessageIcon::Exclamation);
}

}  // namespace kelvara
