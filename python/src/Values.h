// Values between the library and Python: a Variant as the Python value a
// host expects (int, float, str, bool, None, decimal.Decimal, datetime), a
// Python value as the Variant a parameter takes, and a walk step as the
// lists and dicts of `orvane run --format json`.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <utility>
#include <vector>

#include <orvanespt/data/WalkSteps.h>
#include <orvanespt/platform/Variant.h>

namespace orvane::python {

namespace py = pybind11;

/// Loads the datetime C API and decimal.Decimal; once, at import.
void InitValues();

/// The Python value of v: None for empty, null and host objects.
py::object ToPython(const Variant& v);

/// The Variant of a Python value given to the parameter named what. Raises
/// TypeError for a type no parameter takes, ValueError or OverflowError for a
/// value the library cannot hold.
Variant FromPython(py::handle value, const std::string& what);

/// Python strings for the field names a walk meets again on every row.
class NameCache {
public:
    NameCache() = default;
    NameCache(const NameCache&) = delete;
    NameCache& operator=(const NameCache&) = delete;
    ~NameCache();
    /// A new reference to the str of name.
    PyObject* Get(const std::string& name);

private:
    std::vector<std::pair<std::string, PyObject*>> names_;
};

/// The step as `orvane run --format json` writes it: a list of
/// {"source", "fields", "children"} dicts, children as {"source", "rows"}.
py::object StepToPython(const data::WalkStep& step, NameCache& names);

/// The fields of one row as a dict of name to value.
py::object FieldsToPython(const std::vector<std::pair<std::string, Variant>>& fields, NameCache& names);

}  // namespace orvane::python
