#include "FrameAttrs.h"

#include <pybind11/stl.h>

#include "Version.h"
#include "io/SiteFile.h"

namespace py = pybind11;

namespace kelvara::python {

namespace {

const char* MethodName(Methods methods) {
    switch (methods) {
        case Methods::Default:
            return "default";
        case Methods::Standard:
            return "standard";
        case Methods::Corrected:
            break;
    }
    return "corrected";
}

// The plane's coefficients as the run applied them (each a float).
py::object Coefficients(const RotationSettings& rotation) {
    if (rotation.rotation != Rotation::PlanarFit) return py::none();
    const PlaneCoefficients& plane = rotation.plane;
    return py::make_tuple(static_cast<double>(plane.b0), static_cast<double>(plane.b1), static_cast<double>(plane.b2));
}

}  // namespace

py::dict SiteDict(const SiteSettings& site) {
    py::dict sections;
    for (const SiteSection& section : SiteSettingsEntries(site)) {
        py::dict entries;
        for (const SiteEntry& entry : section.entries) {
            entries[py::str(entry.key)] = std::visit([](const auto& value) { return py::cast(value); }, entry.value);
        }
        sections[py::str(section.name)] = entries;
    }
    return sections;
}

py::dict FrameAttrs(const ProcessRequest& request, const ProcessOutcome& outcome) {
    const RunInputs& inputs = request.inputs;
    py::dict attrs;
    attrs["method"] = MethodName(inputs.methods);
    attrs["rotation"] = outcome.rotation.rotation == Rotation::PlanarFit ? "planar fit" : "2-axis";
    attrs["planar_fit"] = Coefficients(outcome.rotation);
    attrs["plane_fitted"] = request.fitPlane;
    attrs["site"] = inputs.site ? py::object(SiteDict(*inputs.site)) : py::none();
    attrs["sampling_frequency"] = outcome.samplingFrequency ? py::cast(*outcome.samplingFrequency) : py::none();
    attrs["columns"] = ColumnsText(inputs.input);
    attrs["unit_check"] = inputs.input.checkUnits;
    attrs["good_status"] = inputs.input.goodStatus.Text();
    attrs["files"] = inputs.files;
    attrs["range_file"] = request.rangeFile ? py::cast(request.rangeFile->string()) : py::none();
    attrs["jobs"] = inputs.jobs;
    attrs["version"] = KELVARA_VERSION;
    return attrs;
}

}  // namespace kelvara::python
