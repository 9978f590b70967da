#include "TableArrays.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "io/FluxResultsLine.h"
#include "io/ResultsFile.h"

namespace py = pybind11;

namespace kelvara::python {

namespace {

std::string_view HeaderOf(Methods methods) {
    switch (methods) {
        case Methods::Default:
            return kResultsHeader;
        case Methods::Standard:
            return kStandardResultsHeader;
        case Methods::Corrected:
            break;
    }
    return kFluxHeader;
}

// A raw file's date text as it stands; bytes that are no UTF-8 replaced.
py::str TextOf(const char* text) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(text, static_cast<py::ssize_t>(std::strlen(text)), "replace"));
}

}  // namespace

py::dict TableArrays(const ResultTable& table, Methods methods) {
    // A run without any half hour may have named no columns.
    const std::vector<std::string> columns = table.columns.empty() ? ValueColumns(HeaderOf(methods)) : table.columns;
    const auto rows = static_cast<py::ssize_t>(table.Rows());
    const auto width = static_cast<py::ssize_t>(columns.size());
    if (table.values.size() != table.Rows() * columns.size()) throw std::logic_error("a table row of another width");
    py::array_t<double> values({rows, width});
    std::copy(table.values.begin(), table.values.end(), values.mutable_data());
    py::array_t<std::int64_t> halfHours(rows);
    std::copy(table.halfHours.begin(), table.halfHours.end(), halfHours.mutable_data());
    py::list times;
    for (const auto& time : table.times) times.append(TextOf(time.data()));
    py::dict arrays;
    arrays["columns"] = columns;
    arrays["times"] = times;
    arrays["half_hours"] = halfHours;
    arrays["values"] = values;
    return arrays;
}

}  // namespace kelvara::python
