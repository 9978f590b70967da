#pragma once
// A Python call's options as the jobs take them, each text read once by the
// engine's own readers. A text that does not read raises ValueError naming
// the option (the interpreter's lock is held).

#include <array>
#include <optional>
#include <string>

#include "corrections/SiteSettings.h"
#include "io/InputFormat.h"
#include "jobs/JobInputs.h"
#include "pipeline/Methods.h"

namespace kelvara::python {

// columns: "default", "auto" or a map text; goodStatus: a list text, or
// none for 0-13.
InputFormat InputFormatOf(const std::string& columns, const std::optional<std::string>& goodStatus, bool unitCheck);

// The site from a site file, or from the text of one (a dict written out
// as one by the Python layer); none without either.
std::optional<SiteSettings> SiteOf(const std::optional<std::string>& siteFile,
                                   const std::optional<std::string>& siteText);

// "default" or "standard"; a site makes the standard method's fluxes the
// corrected ones.
Methods MethodsOf(const std::string& method, bool hasSite);

// The plane as given, or a placeholder for the one fitted before the run.
RotationInputs RotationOf(const std::optional<std::array<double, 3>>& plane, bool fitPlane);

}  // namespace kelvara::python
