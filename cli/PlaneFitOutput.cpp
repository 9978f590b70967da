#include "PlaneFitOutput.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "jobs/PlaneFitText.h"

namespace kelvara::cli {

namespace {

// JSON has no NaN or infinity: such a value is null.
nlohmann::ordered_json Number(double value) {
    return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

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
    json["sector_convention"] = {
        {"axes", "sonic"}, {"direction", kSectorConvention.direction}, {"width_deg", kSectorConvention.widthDegrees}};
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
