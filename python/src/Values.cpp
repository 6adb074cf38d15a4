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

struct Keys {
    py::str source{"source"}, fields{"fields"}, children{"children"}, rows{"rows"};
};
const Keys& StepKeys() {
    static const Keys* keys = new Keys();  // never freed: alive until the interpreter ends
    return *keys;
}

PyObject* NewChildren(const std::vector<data::WalkChild>& children, NameCache& names);

PyObject* NewRow(const data::WalkRow& row, NameCache& names) {
    const Keys& k = StepKeys();
    py::object dict = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
    SetStolen(dict.ptr(), k.fields.ptr(), NewFields(row.fields, names));
    SetStolen(dict.ptr(), k.children.ptr(), NewChildren(row.children, names));
    return dict.release().ptr();
}

PyObject* NewChildren(const std::vector<data::WalkChild>& children, NameCache& names) {
    const Keys& k = StepKeys();
    py::object list = py::reinterpret_steal<py::object>(Checked(PyList_New(static_cast<Py_ssize_t>(children.size()))));
    for (std::size_t c = 0; c < children.size(); ++c) {
        py::object child = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
        SetStolen(child.ptr(), k.source.ptr(), names.Get(children[c].source));
        const auto& rows = children[c].rows;
        py::object list2 = py::reinterpret_steal<py::object>(Checked(PyList_New(static_cast<Py_ssize_t>(rows.size()))));
        for (std::size_t r = 0; r < rows.size(); ++r)
            PyList_SET_ITEM(list2.ptr(), static_cast<Py_ssize_t>(r), NewRow(rows[r], names));
        SetStolen(child.ptr(), k.rows.ptr(), list2.release().ptr());
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(c), child.release().ptr());
    }
    return list.release().ptr();
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
    for (const auto& [known, str] : names_) {
        if (known == name) {
            Py_INCREF(str);
            return str;
        }
    }
    PyObject* str = Checked(PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "replace"));
    // The names of one report are few; a walk over generated names stays bounded.
    if (names_.size() < 64) {
        Py_INCREF(str);
        names_.emplace_back(name, str);
    }
    return str;
}

py::object StepToPython(const data::WalkStep& step, NameCache& names) {
    const Keys& k = StepKeys();
    py::object list = py::reinterpret_steal<py::object>(Checked(PyList_New(static_cast<Py_ssize_t>(step.size()))));
    for (std::size_t i = 0; i < step.size(); ++i) {
        py::object record = py::reinterpret_steal<py::object>(Checked(PyDict_New()));
        SetStolen(record.ptr(), k.source.ptr(), names.Get(step[i].source));
        SetStolen(record.ptr(), k.fields.ptr(), NewFields(step[i].row.fields, names));
        SetStolen(record.ptr(), k.children.ptr(), NewChildren(step[i].row.children, names));
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), record.release().ptr());
    }
    return list;
}

py::object FieldsToPython(const std::vector<std::pair<std::string, Variant>>& fields, NameCache& names) {
    return py::reinterpret_steal<py::object>(NewFields(fields, names));
}

}  // namespace orvane::python
