#include "io/FluxProvenance.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

#include "io/InputFormat.h"
#include "io/SiteFile.h"

namespace kelvara {

namespace {

using Json = nlohmann::ordered_json;

// JSON has no NaN or infinity: such a value is null.
Json Number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

// A stored single as its shortest text reads (0.1, not 0.10000000149011612).
Json Single(float value) {
    if (!std::isfinite(value)) return nullptr;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double shortest = 0.0;
    std::from_chars(text, end, shortest);
    return shortest;
}

Json SiteJson(const SiteSettings& site) {
    Json json = Json::object();
    for (const SiteSection& section : SiteSettingsEntries(site)) {
        Json& keys = json[section.name] = Json::object();
        for (const SiteEntry& entry : section.entries) {
            keys[entry.key] = std::holds_alternative<double>(entry.value) ? Number(std::get<double>(entry.value))
                                                                          : Json(std::get<std::string>(entry.value));
        }
    }
    return json;
}

Json RotationJson(const RotationSettings& rotation) {
    if (rotation.rotation == Rotation::TwoAxis) return Json{{"method", "double rotation"}};
    return Json{{"method", "planar fit"},
                {"b0", Single(rotation.plane.b0)},
                {"b1", Single(rotation.plane.b1)},
                {"b2", Single(rotation.plane.b2)}};
}

Json LimitsJson(const RangeLimits& limits) {
    Json json = Json::object();
    for (int v = 0; v < kVariableCount; ++v) {
        const auto variable = static_cast<Variable>(v);
        json[std::string(MapTargetName(MapTargetOfVariable(v)))] = {{"min", Single(limits.Minimum(variable))},
                                                                    {"max", Single(limits.Maximum(variable))}};
    }
    return json;
}

}  // namespace

std::string FluxProvenanceJson(const FluxProvenance& provenance) {
    Json json;
    json["program"] = "Kelvara";
    json["version"] = provenance.programVersion;
    json["site"] = SiteJson(provenance.site);
    json["sampling_frequency_hz"] = Number(provenance.fs);
    json["sampling_frequency_from"] = provenance.fsFromTimeStamps ? "time stamps" : "site file";
    json["rotation"] = RotationJson(provenance.rotation);
    json["range_limits"] = LimitsJson(provenance.limits);
    json["columns"] = provenance.columns;
    json["status_rule"] = provenance.statusRule;
    json["input_files"] = provenance.inputFiles;
    // File names are the user's bytes: replace what is not UTF-8.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kelvara
