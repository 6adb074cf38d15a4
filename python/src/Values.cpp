#include "Values.h"

#include <datetime.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "Texts.h"

namespace orvane::python {
namespace {

PyObject* decimalType = nullptr;  // decimal.Decimal, held for the module's life

// A new reference, or an exception raised when Python refused to make it.
PyObject* Checked(PyObject* o) {
    if (!o) throw py::error_already_set();
    return o;
}

// Python's date types hold years 1 to 9999 and microseconds: nanoseconds are
// cut to microseconds there, and a date outside those years comes back as its
// ISO text, which keeps every digit.
PyObject* DateToPython(const DateTime& d) {
    PyObject* o = nullptr;
    const int us = d.Nanosecond / 1000;
    if (d.IsTimeOnly())
        o = PyTime_FromTime(d.Hour, d.Minute, d.Second, us);
    else if (d.HasTime())
        o = PyDateTime_FromDateAndTime(d.Year, d.Month, d.Day, d.Hour, d.Minute, d.Second, us);
    else
        o = PyDate_FromDate(d.Year, d.Month, d.Day);
    if (o) return o;
    PyErr_Clear();
    const std::string text = d.ToIsoText();
    return Checked(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
}

PyObject* NewValue(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Bool:
            return PyBool_FromLong(*v.AsBool() ? 1 : 0);
        case Variant::Kind::Int:
            return Checked(PyLong_FromLongLong(*v.AsInt()));
        case Variant::Kind::Double:
            return Checked(PyFloat_FromDouble(*v.AsDouble()));
        case Variant::Kind::Decimal: {
            const std::string text = v.AsDecimal()->Text('.');
            py::object digits = py::reinterpret_steal<py::object>(
                Checked(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()))));
            return Checked(PyObject_CallOneArg(decimalType, digits.ptr()));
        }
        case Variant::Kind::Text: {
            const std::string& t = *v.AsText();
            return Checked(PyUnicode_DecodeUTF8(t.data(), static_cast<Py_ssize_t>(t.size()), "replace"));
        }
        case Variant::Kind::Date:
            return DateToPython(*v.AsDate());
        default:
            Py_RETURN_NONE;
    }
}

// A field of the current record; None when it cannot be read, as the walk
// has it. Read in place: the walk's values are not copied on the way.
PyObject* NewFieldValue(const data::Field& f) {
    try {
        return NewValue(f.Value());
    } catch (const py::error_already_set&) {
        throw;
    } catch (const std::exception&) {
        Py_RETURN_NONE;
    }
}

// Sets key in dict to value, taking over the reference to value.
void SetStolen(PyObject* dict, PyObject* key, PyObject* value) {
    const int rc = PyDict_SetItem(dict, key, value);
    Py_DECREF(value);
    if (rc != 0) throw py::error_already_set();
}

PyObject* NewFields(const std::vector<std::pair<std::string, Variant>>& fields, NameCache& names) {
    py::object dict =
        py::reinterpret_steal<py::object>(Checked(_PyDict_NewPresized(static_cast<Py_ssize_t>(fields.size()))));
    for (const auto& [name, value] : fields) {
        py::object key = py::reinterpret_steal<py::object>(names.Get(name));
        SetStolen(dict.ptr(), key.ptr(), NewValue(value));
    }
    return dict.release().ptr();
}

// The step's keys, interned as the literals of a host's code are, so that
// its lookups find them by identity. Made once, never freed: alive until the
// interpreter ends.
struct Keys {
    PyObject* source = Interned("source");
    PyObject* fields = Interned("fields");
    PyObject* children = Interned("children");
    PyObject* rows = Interned("rows");
    static PyObject* Interned(const char* text) { return Checked(PyUnicode_InternFromString(text)); }
};
const Keys& StepKeys() {
    static const Keys* keys = new Keys();
    return *keys;
}

// Appends item to list, taking over the reference to item.
void AppendStolen(PyObject* list, PyObject* item) {
    const int rc = PyList_Append(list, item);
    Py_DECREF(item);
    if (rc != 0) throw py::error_already_set();
}

std::int64_t IntOf(py::handle value, const std::string& what) {
    int overflow = 0;
    const long long n = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0) throw py::value_error(msg::IntegerTooLarge(what));
    if (n == -1 && PyErr_Occurred()) throw py::error_already_set();
    return n;
}

Variant DecimalOf(py::handle value, const std::string& what) {
    if (!py::bool_(value.attr("is_finite")())) throw py::value_error(msg::DecimalNotFinite(what));
    // 'f' writes every digit without an exponent.
    const std::string text = py::str(py::module_::import("builtins").attr("format")(value, "f"));
    const auto d = Decimal::Parse(text);
    if (!d) throw py::value_error(msg::DecimalTooLong(what, Decimal::kMaxDecimalDigits));
    return Variant(*d);
}

Variant DateOf(py::handle value, const std::string& what) {
    PyObject* o = value.ptr();
    DateTime d;
    if (PyTime_Check(o)) {
        if (!py::getattr(value, "tzinfo").is_none()) throw py::value_error(msg::DateWithZone(what));
        d.Hour = PyDateTime_TIME_GET_HOUR(o);
        d.Minute = PyDateTime_TIME_GET_MINUTE(o);
        d.Second = PyDateTime_TIME_GET_SECOND(o);
        d.Nanosecond = PyDateTime_TIME_GET_MICROSECOND(o) * 1000;
        return Variant(d);
    }
    d.Year = PyDateTime_GET_YEAR(o);
    d.Month = PyDateTime_GET_MONTH(o);
    d.Day = PyDateTime_GET_DAY(o);
    if (PyDateTime_Check(o)) {
        if (!py::getattr(value, "tzinfo").is_none()) throw py::value_error(msg::DateWithZone(what));
        d.Hour = PyDateTime_DATE_GET_HOUR(o);
        d.Minute = PyDateTime_DATE_GET_MINUTE(o);
        d.Second = PyDateTime_DATE_GET_SECOND(o);
        d.Nanosecond = PyDateTime_DATE_GET_MICROSECOND(o) * 1000;
    }
    return Variant(d);
}

}  // namespace

void InitValues() {
    PyDateTime_IMPORT;
    if (!PyDateTimeAPI) throw py::error_already_set();
    decimalType = py::object(py::module_::import("decimal").attr("Decimal")).release().ptr();
}

py::object ToPython(const Variant& v) {
    return py::reinterpret_steal<py::object>(NewValue(v));
}

Variant FromPython(py::handle value, const std::string& what) {
    PyObject* o = value.ptr();
    if (o == Py_None) return Variant::MakeNull();
    if (PyBool_Check(o)) return Variant(o == Py_True);
    if (PyLong_Check(o)) return Variant(static_cast<long long>(IntOf(value, what)));
    if (PyFloat_Check(o)) return Variant(PyFloat_AS_DOUBLE(o));
    if (PyUnicode_Check(o)) return Variant(value.cast<std::string>());
    if (PyObject_IsInstance(o, decimalType) == 1) return DecimalOf(value, what);
    if (PyDate_Check(o) || PyTime_Check(o)) return DateOf(value, what);
    throw py::type_error(msg::ValueTypeRefused(what, py::str(py::type::handle_of(value).attr("__name__"))));
}

NameCache::~NameCache() {
    for (auto& [name, str] : names_) Py_XDECREF(str);
}

PyObject* NameCache::Get(const std::string& name) {
    // A walk asks for the same names in the same order step after step: the
    // search starts after the name found last.
    const std::size_t count = names_.size();
    for (std::size_t k = 0, at = next_; k < count; ++k, ++at) {
        if (at >= count) at = 0;
        if (names_[at].first == name) {
            next_ = at + 1;
            Py_INCREF(names_[at].second);
            return names_[at].second;
        }
    }
    PyObject* str = Checked(PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "replace"));
    // Interned as a host's literals are, which its lookups then find by identity.
    PyUnicode_InternInPlace(&str);
    // The names of one report are few; a walk over generated names stays bounded.
    if (names_.size() < 64) {
        Py_INCREF(str);
        names_.emplace_back(name, str);
    }
    return str;
}

StepBuilder::StepBuilder(NameCache& names) : names_(names) {}

StepBuilder::~StepBuilder() {
    Drop();
    for (auto& open : open_)
        for (PyObject* key : open.keys) Py_DECREF(key);
    for (PyObject* key : recordKeys_) Py_DECREF(key);
}

void StepBuilder::Keys(const data::Recordset& rs, std::vector<PyObject*>& keys) {
    for (PyObject* key : keys) Py_DECREF(key);
    keys.clear();
    for (const auto& f : rs.Fields()) keys.push_back(names_.Get(f.Name()));
}

PyObject* StepBuilder::NewFields(const data::Recordset& rs, const std::vector<PyObject*>& keys) {
    // Up to five keys fit a new dict's first table, which its first key makes.
    py::object dict = py::reinterpret_steal<py::object>(
        Checked(keys.size() <= 5 ? PyDict_New() : _PyDict_NewPresized(static_cast<Py_ssize_t>(keys.size()))));
    auto key = keys.begin();
    for (const auto& f : rs.Fields()) {
        PyObject* value = NewFieldValue(f);
        const int rc = PyDict_SetItem(dict.ptr(), *key++, value);
        Py_DECREF(value);
        if (rc != 0) throw py::error_already_set();
    }
    return dict.release().ptr();
}

void StepBuilder::Push(PyObject* list, Py_ssize_t filled) {
    if (depth_ == open_.size()) open_.emplace_back();
    open_[depth_].list = list;
    open_[depth_].filled = filled;
    ++depth_;
}

void StepBuilder::Record(const std::string& source, const data::Recordset& rs) {
    const auto& k = StepKeys();
    py::object record = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
    SetStolen(record.ptr(), k.source, names_.Get(source));
    Keys(rs, recordKeys_);
    SetStolen(record.ptr(), k.fields, NewFields(rs, recordKeys_));
    PyObject* children = Checked(PyList_New(0));
    SetStolen(record.ptr(), k.children, children);
    AppendStolen(step_.ptr(), record.release().ptr());
    Push(children, -1);
}

void StepBuilder::Child(const std::string& source, const data::Recordset* rs) {
    const auto& k = StepKeys();
    py::object child = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
    SetStolen(child.ptr(), k.source, names_.Get(source));
    PyObject* rows = Checked(PyList_New(rs ? static_cast<Py_ssize_t>(rs->RecordCount()) : 0));
    SetStolen(child.ptr(), k.rows, rows);
    AppendStolen(open_[depth_ - 1].list, child.release().ptr());
    Push(rows, 0);
    if (rs && rs->State() == data::kStateOpen) Keys(*rs, open_[depth_ - 1].keys);
}

void StepBuilder::Row(const data::Recordset& rs) {
    const auto& k = StepKeys();
    Open& rows = open_[depth_ - 1];
    PyObject* children = nullptr;
    py::object row = py::reinterpret_steal<py::object>(Reused(rs, rows.keys, children));
    if (!row) {
        row = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
        SetStolen(row.ptr(), k.fields, NewFields(rs, rows.keys));
        children = Checked(PyList_New(0));
        SetStolen(row.ptr(), k.children, children);
    }
    if (rows.filled < PyList_GET_SIZE(rows.list)) {
        PyList_SET_ITEM(rows.list, rows.filled, row.release().ptr());
    } else {
        AppendStolen(rows.list, row.release().ptr());
    }
    ++rows.filled;
    ++rowsBuilt_;
    Push(children, -1);
}

PyObject* StepBuilder::Reused(const data::Recordset& rs, const std::vector<PyObject*>& keys, PyObject*& children) {
    const auto& k = StepKeys();
    while (!spare_.empty()) {
        py::object row = py::reinterpret_steal<py::object>(spare_.back());
        spare_.pop_back();
        // Only a row still as built, that nothing but the spares holds: the
        // same keys in the same order, an empty children list.
        Py_ssize_t pos = 0;
        PyObject *key, *fields, *list;
        if (Py_REFCNT(row.ptr()) != 1 || PyDict_GET_SIZE(row.ptr()) != 2 || !PyDict_Next(row.ptr(), &pos, &key, &fields) ||
            key != k.fields || !PyDict_Next(row.ptr(), &pos, &key, &list) || key != k.children ||
            !PyDict_CheckExact(fields) || Py_REFCNT(fields) != 1 ||
            PyDict_GET_SIZE(fields) != static_cast<Py_ssize_t>(keys.size()) || !PyList_CheckExact(list) ||
            Py_REFCNT(list) != 1 || PyList_GET_SIZE(list) != 0)
            continue;
        pos = 0;
        bool same = true;
        for (PyObject* want : keys) {
            PyObject* value;
            if (!PyDict_Next(fields, &pos, &key, &value) || key != want) {
                same = false;
                break;
            }
        }
        if (!same) continue;
        auto want = keys.begin();
        for (const auto& f : rs.Fields()) {
            PyObject* value = NewFieldValue(f);
            const int rc = PyDict_SetItem(fields, *want++, value);
            Py_DECREF(value);
            if (rc != 0) throw py::error_already_set();
        }
        children = list;
        return row.release().ptr();
    }
    return nullptr;
}

// Takes the rows of the step returned two steps ago as spares when nothing
// but this builder holds it or them: a host's loop variables still hold the
// step before. Mutating an object that nothing else can reach cannot be seen.
void StepBuilder::Recycle() {
    const auto& k = StepKeys();
    py::object old = std::move(kept_[1]);
    kept_[1] = std::move(kept_[0]);
    if (!old || Py_REFCNT(old.ptr()) != 1) return;
    // Borrowed all the way down: a reference held here would count as another holder.
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(old.ptr()); ++i) {
        PyObject* record = PyList_GET_ITEM(old.ptr(), i);
        if (Py_REFCNT(record) != 1 || !PyDict_CheckExact(record)) continue;
        PyObject* children = PyDict_GetItemWithError(record, k.children);
        if (!children || Py_REFCNT(children) != 1 || !PyList_CheckExact(children)) continue;
        for (Py_ssize_t c = 0; c < PyList_GET_SIZE(children); ++c) {
            PyObject* child = PyList_GET_ITEM(children, c);
            if (Py_REFCNT(child) != 1 || !PyDict_CheckExact(child)) continue;
            PyObject* rows = PyDict_GetItemWithError(child, k.rows);
            if (!rows || Py_REFCNT(rows) != 1 || !PyList_CheckExact(rows)) continue;
            for (Py_ssize_t r = 0; r < PyList_GET_SIZE(rows) && spare_.size() < kSpares; ++r) {
                PyObject* row = PyList_GET_ITEM(rows, r);
                if (Py_REFCNT(row) == 1 && PyDict_CheckExact(row)) spare_.push_back(Py_NewRef(row));
            }
        }
    }
    PyErr_Clear();
}

void StepBuilder::End() {
    Open& open = open_[--depth_];
    // A child's rows cut short by a failed move: the list ends at the last row set.
    if (open.filled >= 0 && open.filled < PyList_GET_SIZE(open.list)) Py_SET_SIZE(open.list, open.filled);
}

bool StepBuilder::Move(eRSource& child) {
    if (!child.eRSources || child.eRSources->Count() == 0) return child.MoveNext();
    py::gil_scoped_release release;
    return child.MoveNext();
}

void StepBuilder::Start() {
    // A step that failed half-built is dropped here, with its unfilled rows.
    step_ = py::reinterpret_steal<py::object>(Checked(PyList_New(0)));
    depth_ = 0;
    rowsBuilt_ = 0;
    Recycle();
}

void StepBuilder::Drop() {
    for (PyObject* row : spare_) Py_DECREF(row);
    spare_.clear();
    kept_[0] = kept_[1] = py::object();
}

py::object StepBuilder::Take() {
    depth_ = 0;
    // A large step is not kept: it would stay in memory two steps longer.
    if (rowsBuilt_ <= kSpares) kept_[0] = step_;
    return std::move(step_);
}

py::object FieldsToPython(const std::vector<std::pair<std::string, Variant>>& fields, NameCache& names) {
    return py::reinterpret_steal<py::object>(NewFields(fields, names));
}

}  // namespace orvane::python
