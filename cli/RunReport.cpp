#include "RunReport.h"

namespace kelvara::cli {

std::string NoFluxWarning(const RunDiagnosis& diagnosis) {
    std::string text = "kelvara-cli: warning: no fluxes computed: " + NoDataReason(diagnosis) + "\n";
    for (const std::string& line : diagnosis.rangeRejections) text += "kelvara-cli: warning: " + line + "\n";
    return text;
}

std::string NoDataReason(const RunDiagnosis& diagnosis) { return NoFluxReason(diagnosis, "--columns auto"); }

}  // namespace kelvara::cli
