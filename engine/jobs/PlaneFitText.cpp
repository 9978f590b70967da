#include "jobs/PlaneFitText.h"

#include <cstdarg>
#include <cstdio>

namespace kelvara {

namespace {

std::string Printed(const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string SectorList(const std::vector<int>& sectors) {
    std::string text;
    for (int sector : sectors) {
        if (!text.empty()) text += ' ';
        text += std::to_string(sector * 45) + "-" + std::to_string(sector * 45 + 45);
    }
    return text.empty() ? "none" : text;
}

std::string FitText(const PlaneFit& fit) {
    std::string text = Printed("b0 = %.7g +- %.3g m/s\n", fit.b0, fit.se_b0);
    text += Printed("b1 = %.7g +- %.3g\n", fit.b1, fit.se_b1);
    text += Printed("b2 = %.7g +- %.3g\n", fit.b2, fit.se_b2);
    text += "--planar-fit " + PlaneCoefficientsText(fit) + "\n";
    text += Printed("alpha = %.4g deg, beta = %.4g deg\n", fit.alphaDegrees, fit.betaDegrees);
    text += fit.r2 ? Printed("R2 = %.4g", *fit.r2) : std::string("R2 = n/a (every block has the same mean w)");
    text += Printed(", rms residual = %.3g m/s, largest |residual| = %.3g m/s\n", fit.rmsResidual, fit.maxAbsResidual);
    return text;
}

}  // namespace

std::string PlaneCoefficientsText(const PlaneFit& fit) { return Printed("%.7g %.7g %.7g", fit.b0, fit.b1, fit.b2); }

std::string PlaneFitText(const PlaneFitReport& report) {
    const PlaneFit& fit = report.fit;
    std::string text = fit.ok ? FitText(fit) : std::string();
    text += Printed("blocks used: %d\n", fit.blocksUsed);
    text += "wind sectors (deg): " + SectorList(fit.sectors) + "\n";
    text += std::string("  in ") + kSectorConvention.axes + ": direction " + kSectorConvention.direction + "; " +
            std::to_string(kSectorConvention.widthDegrees) + "-degree sectors\n";
    text += Printed("blocks excluded: %zu\n", report.excluded.size());
    for (const ExcludedBlock& block : report.excluded) text += "  " + block.time + "  " + block.reason + "\n";
    return text;
}

}  // namespace kelvara
