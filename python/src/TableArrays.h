#pragma once
// The half hours of a call as Python objects, for the Python layer to make
// a DataFrame of: the column names, the Time texts, the half hours and the
// values as numpy arrays (needs the interpreter's lock).

#include <pybind11/pybind11.h>

#include "jobs/ResultTable.h"
#include "pipeline/Methods.h"

namespace kelvara::python {

// {"columns": [...], "times": [...], "half_hours": int64[rows],
//  "values": float64[rows, columns]}
pybind11::dict TableArrays(const ResultTable& table, Methods methods);

}  // namespace kelvara::python
