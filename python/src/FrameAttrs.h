#pragma once
// What df.attrs tells of how a call's half hours were made: the method, the
// rotation and its plane, the site with every default filled in, the columns
// and status rule, the files and the program's version.

#include <pybind11/pybind11.h>

#include "ProcessCall.h"

namespace kelvara::python {

pybind11::dict FrameAttrs(const ProcessRequest& request, const ProcessOutcome& outcome);

// The site as its file spells it: {"site": {"measurement_height": 3.0, ...}, ...}.
pybind11::dict SiteDict(const SiteSettings& site);

}  // namespace kelvara::python
