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
#include <orvanespt/data/ado/Recordset.h>
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
    std::size_t next_ = 0;  ///< where the next search starts
};

/// Builds the step as `orvane run --format json` writes it while the walk
/// hands it over, the GIL held: a list of {"source", "fields", "children"}
/// dicts, children as {"source", "rows"}, rows as {"fields", "children"}.
/// A child's move that queries its own children runs without the GIL.
class StepBuilder final : public data::StepVisitor {
public:
    explicit StepBuilder(NameCache& names);
    StepBuilder(const StepBuilder&) = delete;
    StepBuilder& operator=(const StepBuilder&) = delete;
    ~StepBuilder() override;
    void Record(const std::string& source, const data::Recordset& rs) override;
    void Child(const std::string& source, const data::Recordset* rs) override;
    void Row(const data::Recordset& rs) override;
    void End() override;
    bool Move(eRSource& child) override;
    /// Begins a new step.
    void Start();
    /// The step built since Start.
    py::object Take();
    /// Lets go of what it keeps for the steps to come.
    void Drop();

private:
    // A list being filled: a record's or row's children, or a child's rows
    // made as long as its recordset and cut to the rows the walk gave.
    struct Open {
        PyObject* list;               ///< borrowed: the step holds it
        Py_ssize_t filled;            ///< items set in a rows list; -1 for children, appended
        std::vector<PyObject*> keys;  ///< a child's field names, one per column (owned)
    };
    void Keys(const data::Recordset& rs, std::vector<PyObject*>& keys);
    PyObject* NewFields(const data::Recordset& rs, const std::vector<PyObject*>& keys);
    void Push(PyObject* list, Py_ssize_t filled);
    PyObject* Reused(const data::Recordset& rs, const std::vector<PyObject*>& keys, PyObject*& children);
    void Recycle();

    NameCache& names_;
    py::object step_;
    std::vector<Open> open_;  ///< innermost last; kept between steps for their room
    std::size_t depth_ = 0;   ///< open_'s entries in use
    std::vector<PyObject*> recordKeys_;
    // Rows of a step that nothing else holds any more, refilled instead of
    // made anew: a step's dicts cost more to make and free than to refill.
    static constexpr std::size_t kSpares = 4096;
    std::vector<PyObject*> spare_;  ///< owned
    py::object kept_[2];            ///< the last step returned and the one before
    std::size_t rowsBuilt_ = 0;
};

/// The fields of one row as a dict of name to value.
py::object FieldsToPython(const std::vector<std::pair<std::string, Variant>>& fields, NameCache& names);

}  // namespace orvane::python
