#include "CallOptions.h"

#include <pybind11/pybind11.h>

#include "io/FileNames.h"
#include "io/SiteFile.h"

namespace py = pybind11;

namespace kelvara::python {

namespace {

// Line numbers mean nothing in a dict: its key names the place.
std::string WithoutLineNumber(const SiteFileError& error) {
    const std::string prefix = "line " + std::to_string(error.line) + ": ";
    if (error.line > 0 && error.message.starts_with(prefix)) return error.message.substr(prefix.size());
    return error.message;
}

}  // namespace

InputFormat InputFormatOf(const std::string& columns, const std::optional<std::string>& goodStatus, bool unitCheck) {
    InputFormat format;
    std::string problem;
    if (!ParseColumns(columns, format, problem)) throw py::value_error("columns: " + problem);
    if (goodStatus && !StatusRule::Parse(*goodStatus, format.goodStatus, problem)) {
        throw py::value_error("good_status: " + problem);
    }
    format.checkUnits = unitCheck;
    return format;
}

std::optional<SiteSettings> SiteOf(const std::optional<std::string>& siteFile,
                                   const std::optional<std::string>& siteText) {
    SiteSettings site;
    SiteFileError error;
    if (siteFile) {
        if (!ReadSiteFile(PathFromText(*siteFile), site, error)) throw py::value_error("site: " + error.message);
        return site;
    }
    if (siteText) {
        if (!ParseSiteText(*siteText, site, error)) throw py::value_error("site: " + WithoutLineNumber(error));
        return site;
    }
    return std::nullopt;
}

Methods MethodsOf(const std::string& method, bool hasSite) {
    if (method == "default") {
        if (hasSite) throw py::value_error("site: the corrected fluxes come from method=\"standard\", not \"default\"");
        return Methods::Default;
    }
    if (method == "standard") return hasSite ? Methods::Corrected : Methods::Standard;
    throw py::value_error("method: \"" + method + "\" is neither \"default\" nor \"standard\"");
}

RotationInputs RotationOf(const std::optional<std::array<double, 3>>& plane, bool fitPlane) {
    if (fitPlane) return RotationInputs::PlanarFit(0.0, 0.0, 0.0);
    if (plane) return RotationInputs::PlanarFit((*plane)[0], (*plane)[1], (*plane)[2]);
    return RotationInputs{};
}

}  // namespace kelvara::python
