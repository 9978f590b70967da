#include "RunReport.h"

namespace kelvara::cli {

namespace {

std::string Hint(NoFluxHint hint) {
    switch (hint) {
        case NoFluxHint::ColumnMap:
            return " (the header names a record-number column: try --columns auto)";
        case NoFluxHint::StatusField:
            return " (is the status the last field of each record?)";
        case NoFluxHint::None:
            break;
    }
    return "";
}

}  // namespace

std::string NoFluxWarning(const RunDiagnosis& diagnosis) {
    std::string text = "kelvara-cli: warning: no fluxes computed: " + NoDataReason(diagnosis) + "\n";
    for (const std::string& line : diagnosis.rangeRejections) text += "kelvara-cli: warning: " + line + "\n";
    return text;
}

std::string NoDataReason(const RunDiagnosis& diagnosis) { return diagnosis.noFluxes + Hint(diagnosis.hint); }

}  // namespace kelvara::cli
