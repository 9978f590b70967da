#include "PlaneFitOutput.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace kelvara::cli {

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
    text += Printed(", rms residual = %.3g m/s, largest |residual| = %.3g m/s\n", fit.rmsResidual,
                    fit.maxAbsResidual);
    return text;
}

// JSON has no NaN or infinity: such a value is null.
nlohmann::ordered_json Number(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string PlaneCoefficientsText(const PlaneFit& fit) { return Printed("%.7g %.7g %.7g", fit.b0, fit.b1, fit.b2); }

std::string PlaneFitText(const PlaneFitReport& report) {
    const PlaneFit& fit = report.fit;
    std::string text = fit.ok ? FitText(fit) : std::string();
    text += Printed("blocks used: %d, wind sectors (deg): ", fit.blocksUsed) + SectorList(fit.sectors) + "\n";
    text += Printed("blocks excluded: %zu\n", report.excluded.size());
    for (const ExcludedBlock& block : report.excluded) text += "  " + block.time + "  " + block.reason + "\n";
    return text;
}

std::string PlaneFitJson(const PlaneFitReport& report) {
    const PlaneFit& fit = report.fit;
    nlohmann::ordered_json json;
    json["ok"] = fit.ok;
    const auto value = [&fit](double number) { return fit.ok ? Number(number) : nullptr; };
    json["b0"] = value(fit.b0);
    json["b1"] = value(fit.b1);
    json["b2"] = value(fit.b2);
    json["se_b0"] = value(fit.se_b0);
    json["se_b1"] = value(fit.se_b1);
    json["se_b2"] = value(fit.se_b2);
    json["alpha_deg"] = value(fit.alphaDegrees);
    json["beta_deg"] = value(fit.betaDegrees);
    json["r2"] = fit.ok && fit.r2 ? Number(*fit.r2) : nullptr;
    json["rms_residual"] = value(fit.rmsResidual);
    json["max_abs_residual"] = value(fit.maxAbsResidual);
    json["sectors"] = fit.sectors;
    json["blocks_used"] = fit.blocksUsed;
    json["excluded"] = nlohmann::ordered_json::array();
    for (const ExcludedBlock& block : report.excluded) {
        json["excluded"].push_back({{"time", block.time}, {"reason", block.reason}});
    }
    if (!fit.ok) json["reason"] = fit.refusal;
    // Block times come from the raw files' bytes: replace what is not UTF-8.
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace kelvara::cli
