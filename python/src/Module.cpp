// orvanespt: report definitions from Python. A thin layer over the public
// C++ API: load and save definitions, edit their root properties and
// parameters, list their connections, check them, and walk their data as the
// steps `orvane run --format json` prints. Every call that waits on a
// database runs with the GIL released; it then works on a copy of the
// definition of its own, so other threads may use the report meanwhile.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Texts.h"
#include "Values.h"
#include <orvanespt/data/ReportCheck.h>
#include <orvanespt/data/WalkSteps.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::python {
namespace {

using Report = std::shared_ptr<Orvane>;

PyObject* readErrorType = nullptr;
PyObject* dataErrorType = nullptr;

// One line, passwords masked: what a provider's text may hold is shown so.
std::string Shown(const std::string& text) {
    return text::OneLine(platform::ScrubPasswords(text));
}

[[noreturn]] void RaiseDataError(const std::string& message) {
    PyErr_SetString(dataErrorType, message.c_str());
    throw py::error_already_set();
}

[[noreturn]] void RaiseReadError(const std::string& message, py::object line = py::none(),
                                 py::object column = py::none(), const std::string& reason = {},
                                 const std::vector<RefusedEntry>& refused = {}) {
    py::object error = py::reinterpret_borrow<py::object>(readErrorType)(message);
    error.attr("line") = std::move(line);
    error.attr("column") = std::move(column);
    error.attr("reason") = reason.empty() ? message : reason;
    py::list entries;
    for (const auto& e : refused) entries.append(py::make_tuple(e.name, e.reason));
    error.attr("refused") = entries;
    PyErr_SetObject(readErrorType, error.ptr());
    throw py::error_already_set();
}

void Warn(const std::string& text) {
    if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 2) != 0) throw py::error_already_set();
}

template <typename T>
std::string NamesOf(const std::shared_ptr<Collection<T>>& items) {
    std::string out;
    if (items)
        for (const auto& item : *items)
            if (item) out += (out.empty() ? "" : ", ") + item->Name;
    return out.empty() ? msg::kNone : out;
}

// A file path as bytes, from str, bytes or any os.PathLike.
std::string PathOf(const py::object& path) {
    return py::bytes(py::module_::import("os").attr("fsencode")(path));
}

// --- reading ---

void ThrowIfRefused(const std::string& name, const DefinitionRead& read, const std::string& where) {
    switch (read.status) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::NoFile:
            RaiseReadError(msg::NoSuchFile(name));
        case ReadStatus::NotAPackage:
            RaiseReadError(msg::NotAPackage(name, read.archiveError.empty() ? msg::kNotAZip : read.archiveError));
        case ReadStatus::NoSource:
            RaiseReadError(msg::NoSourceXml(name), py::none(), py::none(), {}, read.refused);
        case ReadStatus::Refused:
            RaiseReadError(msg::PackageRefused(name, read.archiveError), py::none(), py::none(), {}, read.refused);
        case ReadStatus::NotWellFormed: {
            const auto& e = read.error;
            RaiseReadError(msg::NotWellFormed(name + ": " + where, e.line, e.column, Shown(e.description)),
                           py::int_(e.line), py::int_(e.column), Shown(e.description), read.refused);
        }
    }
    if (!text::EqualsIgnoreCase(read.rootName, "Orvane"))
        RaiseReadError(msg::NotADefinition(name + ": " + where, read.rootName));
}

Report FromXml(const py::object& text) {
    std::string bytes = py::isinstance<py::str>(text) ? text.cast<std::string>() : std::string(py::bytes(text));
    auto rpt = std::make_shared<Orvane>();
    DefinitionRead read;
    {
        py::gil_scoped_release release;
        read = rpt->ReadXML(bytes);
        rpt->IniParameters();
    }
    ThrowIfRefused("XML", read, "");
    return rpt;
}

Report Load(const py::object& path) {
    const std::string file = PathOf(path);
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(file, ec)) RaiseReadError(msg::NoSuchFile(file));
    if (fs::is_directory(file, ec)) RaiseReadError(msg::IsFolder(file));
    auto rpt = std::make_shared<Orvane>();
    DefinitionRead read;
    bool package = false;
    bool unreadable = false;
    {
        py::gil_scoped_release release;
        try {
            std::ifstream in(file, std::ios::binary);
            char head[4] = {};
            in.read(head, sizeof head);
            // A local file header, or the end record of an archive with no entries.
            const std::string start(head, static_cast<std::size_t>(in.gcount()));
            package = start == std::string("PK\x03\x04", 4) || start == std::string("PK\x05\x06", 4);
            unreadable = !in.is_open() || in.bad();
            if (!unreadable && package) {
                read = rpt->ReadXPDFile(file);
            } else if (!unreadable) {
                std::string bytes = start + std::string(std::istreambuf_iterator<char>(in), {});
                unreadable = in.bad();
                read = rpt->ReadXML(bytes);
                rpt->LoadedFrom = fs::absolute(file, ec).string();
            }
        } catch (const std::exception&) {
            unreadable = true;
        }
        rpt->IniParameters();
    }
    if (unreadable) RaiseReadError(msg::CannotRead(file));
    ThrowIfRefused(file, read, package ? "source.xml: " : "");
    if (!read.archiveError.empty()) Warn(msg::EntryLeftOut(file, "", read.archiveError));
    for (const auto& entry : read.refused) Warn(msg::EntryLeftOut(file, entry.name, entry.reason));
    return rpt;
}

void Save(Orvane& rpt, const py::object& path) {
    const std::string file = PathOf(path);
    if (text::EqualsIgnoreCase(std::filesystem::path(file).extension().string(), ".xpd")) {
        if (rpt.SaveXPDFile(file)) return;
        PyErr_SetString(PyExc_OSError, msg::CannotWrite(file).c_str());
        throw py::error_already_set();
    }
    // Written beside and renamed over: a failed save leaves the old file.
    const std::string part = file + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << rpt.ToXML();
        out.close();
        std::error_code ec;
        if (!out || (std::filesystem::rename(part, file, ec), ec)) {
            std::filesystem::remove(part, ec);
            PyErr_SetString(PyExc_OSError, msg::CannotWrite(file).c_str());
            throw py::error_already_set();
        }
    }
    rpt.SetHash();
}

// --- run-time copies ---

// A copy of the definition with the parameters' values as they stand, for
// one walk, query or check: the report itself is not changed by it, and its
// owner may go on using it from another thread.
Report CopyOf(const Orvane& src) {
    auto copy = std::make_shared<Orvane>();
    if (!copy->ReadXML(src.ToXML()).ok()) RaiseDataError("no se pudo copiar la definición para recorrerla");
    copy->LoadedFrom = src.LoadedFrom;
    if (!src.eParameters || !copy->eParameters) return copy;
    for (int i = 1; i <= src.eParameters->Count() && i <= copy->eParameters->Count(); ++i) {
        const auto from = src.eParameters->Item(i);
        const auto to = copy->eParameters->Item(i);
        if (!from || !to) continue;
        to->Value = from->Value;
        to->Values = from->Values;
    }
    return copy;
}

void SetValue(eParameter& p, py::handle value) {
    if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
        std::vector<Variant> values;
        for (py::handle v : value) values.push_back(FromPython(v, p.Name));
        if (values.empty()) throw py::value_error("«" + p.Name + "»: " + msg::kEmptyList);
        p.Values = std::move(values);
        return;
    }
    // A single value replaces a list set before.
    p.Value = FromPython(value, p.Name);
    p.Values.reset();
}

py::object GetValue(const eParameter& p) {
    if (!p.Values) return ToPython(p.Value);
    py::list values;
    for (const auto& v : *p.Values) values.append(ToPython(v));
    return values;
}

// Pairs of a dict (or any mapping) of names.
py::list ItemsOf(py::handle mapping) {
    if (!py::hasattr(mapping, "items")) throw py::type_error(msg::kNotAMapping);
    return py::list(mapping.attr("items")());
}

void ApplyParameters(Orvane& rpt, py::handle parameters) {
    if (parameters.is_none()) return;
    for (py::handle item : ItemsOf(parameters)) {
        const auto name = py::str(item[py::int_(0)]).cast<std::string>();
        const auto p = rpt.GetParameter(name);
        if (!p) throw py::key_error(msg::UnknownParameter(name, NamesOf(rpt.eParameters)));
        SetValue(*p, item[py::int_(1)]);
    }
}

void ApplyConnections(Orvane& rpt, py::handle connections) {
    if (connections.is_none()) return;
    for (py::handle item : ItemsOf(connections)) {
        const auto name = py::str(item[py::int_(0)]).cast<std::string>();
        const auto c = rpt.GetConnection(name);
        if (!c) throw py::key_error(msg::UnknownConnection(name, NamesOf(rpt.eConections)));
        c->cnnString = item[py::int_(1)].cast<std::string>();
    }
}

// Opens every connection and top-level record source with its design-time
// filter and sort, as `orvane run` does; "" or why it failed. No GIL.
std::string OpenData(Orvane& rpt) {
    if (!rpt.eConections) return {};
    for (const auto& cnn : *rpt.eConections)
        if (cnn && !cnn->OpenConnection()) return msg::ConnectionNotOpened(cnn->Name, Shown(cnn->LastOpenError));
    std::string error;
    data::ForEachTopLevel(rpt, [&](eRSource& rs) {
        rs.RTFilter = rs.Filter;
        rs.RTOrder = rs.Order;
        if (error.empty() && !rs.OpenRecordsource()) error = msg::SourceNotOpened(rs.Name, Shown(rs.LastOpenError));
    });
    return error;
}

// --- the walk ---

class Walk {
public:
    Walk(Report rpt, std::optional<std::size_t> limit) : rpt_(std::move(rpt)), limit_(limit) {}

    // The next step, or a null object at the end.
    py::object Next() {
        if (busy_.test_and_set()) throw py::value_error(msg::kWalkBusy);
        struct Done {
            std::atomic_flag& flag;
            ~Done() { flag.clear(); }
        } done{busy_};
        if (!rpt_ || (limit_ && steps_ >= *limit_)) return Finish();
        std::string error;
        std::vector<std::string> incomplete;
        bool end = false;
        {
            py::gil_scoped_release release;
            if (!opened_) {
                opened_ = true;
                error = OpenData(*rpt_);
            } else if (!rpt_->MoveNext_All()) {
                data::ForEachTopLevel(*rpt_, [&](eRSource& rs) {
                    if (!rs.LastOpenError.empty())
                        incomplete.push_back(data::ProblemText(steps_, rs.Name, Shown(rs.LastOpenError)));
                });
            }
            end = !error.empty() || rpt_->EOF_All();
        }
        for (const auto& text : incomplete) Warn(text);
        if (!error.empty()) {
            Finish();
            RaiseDataError(error);
        }
        if (end) return Finish();
        ++steps_;
        // Built as the walk goes, with the GIL: the rows are in memory by now,
        // and a move that queries again lets the GIL go (StepBuilder::Move).
        std::vector<data::WalkProblem> problems;
        builder_.Start();
        data::VisitStep(*rpt_, builder_, problems);
        py::object step = builder_.Take();
        for (const auto& p : problems) Warn(data::ProblemText(steps_, p.source, Shown(p.why)));
        return step;
    }

private:
    // Lets the copy and its connections go; the end of the walk.
    py::object Finish() {
        builder_.Drop();
        py::gil_scoped_release release;
        rpt_.reset();
        return {};
    }

    Report rpt_;
    std::optional<std::size_t> limit_;
    std::size_t steps_ = 0;
    bool opened_ = false;
    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    NameCache names_;
    StepBuilder builder_{names_};
};

// Walk's __next__ as its type's iterator slot, which a for loop calls
// straight: pybind11's dispatch cost a twentieth of a step. Failures become
// Python's exceptions as pybind11 would make them.
PyObject* NextSlot(PyObject* self) {
    try {
        return py::cast<Walk&>(py::handle(self)).Next().release().ptr();  // null, no error: StopIteration
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (...) {
        if (!py::detail::apply_exception_translators(py::detail::get_local_internals().registered_exception_translators) &&
            !py::detail::apply_exception_translators(py::detail::get_internals().registered_exception_translators))
            PyErr_SetString(PyExc_SystemError, "Exception escaped from default exception translator!");
    }
    return nullptr;
}

std::unique_ptr<Walk> StartWalk(const Report& rpt, py::handle parameters, std::optional<long long> limit, bool requery,
                                py::handle connections) {
    if (limit && *limit < 0) throw py::value_error(msg::kLimitNegative);
    auto copy = CopyOf(*rpt);
    ApplyParameters(*copy, parameters);
    ApplyConnections(*copy, connections);
    if (requery && copy->eConections)
        for (const auto& cnn : *copy->eConections)
            if (cnn)
                WalkRSources(cnn->eRSources.get(), [](const std::shared_ptr<eRSource>& rs, int, bool) {
                    rs->ReuseRows = false;
                    return true;
                });
    std::optional<std::size_t> most;
    if (limit) most = static_cast<std::size_t>(*limit);
    return std::make_unique<Walk>(std::move(copy), most);
}

// --- one record source's rows ---

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<std::pair<std::string, Variant>>> rows;
};

Table ReadTable(const Report& rpt, const std::string& source, py::handle parameters, py::handle connections) {
    auto copy = CopyOf(*rpt);
    ApplyParameters(*copy, parameters);
    ApplyConnections(*copy, connections);
    auto rs = copy->GetRSource(source);
    if (!rs) rs = copy->GetRSourceInDlg(source);
    if (!rs) throw py::key_error(msg::UnknownSource(source));
    auto cnn = rs->eCnn.lock();
    if (!cnn) cnn = copy->GetConnection(rs->ecnnName());
    if (!cnn) throw py::key_error(msg::UnknownConnection(rs->ecnnName(), NamesOf(copy->eConections)));
    rs->eCnn = cnn;
    // Its children are not read: only this record source's rows are asked for.
    rs->eRSources = std::make_shared<Collection<eRSource>>();
    Table table;
    std::string error;
    {
        py::gil_scoped_release release;
        rs->RTFilter = rs->Filter;
        rs->RTOrder = rs->Order;
        if (!cnn->OpenConnection())
            error = msg::ConnectionNotOpened(cnn->Name, Shown(cnn->LastOpenError));
        else if (!rs->OpenRecordsource())
            error = msg::SourceNotOpened(rs->Name, Shown(rs->LastOpenError));
        else if (const auto& set = rs->ADORecordset) {
            for (const auto& f : set->Fields()) table.columns.push_back(f.Name());
            for (; !set->Eof(); set->MoveNext()) {
                auto& row = table.rows.emplace_back();
                for (const auto& f : set->Fields()) {
                    try {
                        row.emplace_back(f.Name(), f.Value());
                    } catch (const std::exception&) {
                        row.emplace_back(f.Name(), Variant::MakeNull());
                    }
                }
            }
        }
        copy.reset();
    }
    if (!error.empty()) RaiseDataError(error);
    return table;
}

// --- checking ---

py::list Check(const Report& rpt, bool open) {
    auto copy = CopyOf(*rpt);
    std::vector<data::Finding> findings;
    {
        py::gil_scoped_release release;
        data::CheckOptions options;
        options.open = open;
        options.keepsRows = [](const eRSource& rs) { return rs.KeepsRows(); };
        findings = data::CheckReport(*copy, options);
        copy.reset();
    }
    py::list list;
    for (const auto& f : findings) {
        py::list place;
        for (const auto& step : f.place) {
            py::dict s;
            s["kind"] = data::PlaceKindId(step.kind);
            s["name"] = step.name;
            place.append(s);
        }
        py::dict d;
        d["kind"] = data::KindId(f.kind);
        d["severity"] = data::SeverityId(f.severity);
        d["place"] = place;
        d["where"] = data::PlaceText(f.place);
        d["name"] = platform::ScrubPasswords(f.name);
        d["message"] = Shown(f.message);
        list.append(d);
    }
    return list;
}

// --- views of the definition's items; each keeps its report alive ---

struct ParameterView {
    Report rpt;
    std::shared_ptr<eParameter> p;
};
struct SourceView {
    Report rpt;
    std::shared_ptr<eRSource> rs;
};
struct ConnectionView {
    Report rpt;
    std::shared_ptr<eConnection> cnn;
};

std::vector<SourceView> SourcesOf(const Report& rpt, const std::shared_ptr<Collection<eRSource>>& list) {
    std::vector<SourceView> out;
    if (list)
        for (const auto& rs : *list)
            if (rs) out.push_back({rpt, rs});
    return out;
}

}  // namespace

void Bind(py::module_& m) {
    InitValues();
    readErrorType = PyErr_NewExceptionWithDoc(
        "orvanespt.ReadError",
        "A definition or package that could not be read. line and column (1-based) give the position of a "
        "text that is not well-formed XML, else None; reason says why; refused lists the (entry, reason) "
        "pairs of a package left out.",
        PyExc_Exception, nullptr);
    dataErrorType = PyErr_NewExceptionWithDoc(
        "orvanespt.DataError",
        "A connection or query that failed; the message names it and gives the provider's reason.", PyExc_Exception,
        nullptr);
    for (const char* attr : {"line", "column", "reason"}) PyObject_SetAttrString(readErrorType, attr, Py_None);
    py::setattr(readErrorType, "refused", py::tuple());
    m.add_object("ReadError", py::handle(readErrorType));
    m.add_object("DataError", py::handle(dataErrorType));

    py::class_<ParameterView>(m, "Parameter", "A report parameter: its type, default and current value.")
        .def_property_readonly(
            "name", [](const ParameterView& v) { return v.p->Name; }, "The parameter's name.")
        .def_property(
            "type", [](const ParameterView& v) { return v.p->eType(); },
            [](ParameterView& v, const std::string& t) { v.p->eType(t); },
            "The type name as stored (\"adInteger\", \"strDateTime|yyyy-mm-dd\", ...).")
        .def_property(
            "default", [](const ParameterView& v) { return v.p->Predef; },
            [](ParameterView& v, const std::string& t) { v.p->Predef = t; }, "The default value expression (text).")
        .def_property(
            "value", [](const ParameterView& v) { return GetValue(*v.p); },
            [](ParameterView& v, py::handle value) { SetValue(*v.p, value); },
            "The current value; a list while the parameter holds several values (for IN (...)). Set a str, "
            "int, float, bool, decimal.Decimal, datetime.date/datetime/time, None, or a list of them.")
        .def("__repr__", [](const ParameterView& v) {
            return "<Parameter " + v.p->Name + " " + v.p->eType() + " = " +
                   py::repr(GetValue(*v.p)).cast<std::string>() + ">";
        });

    py::class_<SourceView>(m, "RecordSource", "A record source (a query) with its child record sources.")
        .def_property_readonly(
            "name", [](const SourceView& v) { return v.rs->Name; }, "The record source's name.")
        .def_property_readonly(
            "connection", [](const SourceView& v) { return v.rs->ecnnName(); }, "The name of its connection.")
        .def_property(
            "sql", [](const SourceView& v) { return v.rs->SQLCommand; },
            [](SourceView& v, const std::string& t) { v.rs->SQLCommand = t; }, "The command text, with its macros.")
        .def_property(
            "filter", [](const SourceView& v) { return v.rs->Filter; },
            [](SourceView& v, const std::string& t) { v.rs->Filter = t; }, "The design-time filter.")
        .def_property(
            "order", [](const SourceView& v) { return v.rs->Order; },
            [](SourceView& v, const std::string& t) { v.rs->Order = t; }, "The design-time sort.")
        .def_property_readonly(
            "record_sources", [](const SourceView& v) { return SourcesOf(v.rpt, v.rs->eRSources); },
            "Its child record sources, re-queried for each of its rows.")
        .def("__repr__", [](const SourceView& v) { return "<RecordSource " + v.rs->Name + ">"; });

    py::class_<ConnectionView>(m, "Connection", "A connection with its top-level record sources.")
        .def_property_readonly(
            "name", [](const ConnectionView& v) { return v.cnn->Name; }, "The connection's name.")
        .def_property(
            "connection_string", [](const ConnectionView& v) { return v.cnn->cnnString; },
            [](ConnectionView& v, const std::string& t) { v.cnn->cnnString = t; },
            "The connection string as stored (it may hold a password).")
        .def_property_readonly(
            "record_sources", [](const ConnectionView& v) { return SourcesOf(v.rpt, v.cnn->eRSources); },
            "Its top-level record sources, each with its children.")
        .def("__repr__", [](const ConnectionView& v) { return "<Connection " + v.cnn->Name + ">"; });

    py::class_<Walk> walk(m, "Walk", "The steps of a walk over a report's data; see Report.walk.");
    walk.def(
            "__iter__", [](Walk& w) -> Walk& { return w; }, "The walk itself.")
        .def(
            "__next__",
            [](Walk& w) {
                py::object step = w.Next();
                if (!step) throw py::stop_iteration();
                return step;
            },
            "The next step; opens the data on the first call (raising DataError when it cannot).");
    reinterpret_cast<PyTypeObject*>(walk.ptr())->tp_iternext = NextSlot;

    py::class_<Orvane, Report>(m, "Report", "A report definition: read, edited, checked, saved and walked.")
        .def(py::init([] { return std::make_shared<Orvane>(); }), "An empty definition.")
        .def_readwrite("name", &Orvane::Name, "The report's name.")
        .def_readwrite("info", &Orvane::Info, "A free description of the report.")
        .def_readwrite("code", &Orvane::Code, "Script code for the host.")
        .def_readwrite("lang", &Orvane::Lang, "The language of the script code.")
        .def_readwrite("initial_dialog", &Orvane::initialDialog, "The dialog the host shows first; \"\" for none.")
        .def_readwrite("initial_prn_format", &Orvane::initialPrnFormat,
                       "The print format the host uses first; \"\" for none.")
        .def_readwrite("loaded_from", &Orvane::LoadedFrom,
                       "The file the definition was read from; relative paths in connection strings start there.")
        .def_readonly("version", &Orvane::Version, "The version the XML text declared.")
        .def_property_readonly("is_dirty", &Orvane::IsDirty, "True when the definition changed since read or saved.")
        .def("to_xml", &Orvane::ToXML, "The definition XML text.")
        .def("save", &Save, py::arg("path"),
             "Writes a package when the path ends in .xpd, else the definition XML; raises OSError on failure.")
        .def_property_readonly(
            "connections",
            [](const Report& r) {
                std::vector<ConnectionView> out;
                if (r->eConections)
                    for (const auto& c : *r->eConections)
                        if (c) out.push_back({r, c});
                return out;
            },
            "The connections, in order, each with its record sources as a tree.")
        .def(
            "_parameter_names",
            [](const Report& r) {
                std::vector<std::string> names;
                if (r->eParameters)
                    for (const auto& p : *r->eParameters)
                        if (p) names.push_back(p->Name);
                return names;
            },
            "The parameters' names in order (Report.parameters iterates them).")
        .def(
            "_parameter",
            [](const Report& r, const std::string& name) {
                const auto p = r->GetParameter(name);
                if (!p) throw py::key_error(msg::UnknownParameter(name, NamesOf(r->eParameters)));
                return ParameterView{r, p};
            },
            "The parameter of that name, ignoring case; KeyError when none (Report.parameters looks up so).")
        .def("check", &Check, py::arg("open") = false,
             "The findings `orvane check --format json` gives, as dicts; with open, the connections and queries "
             "are tried too.")
        .def("walk", &StartWalk, py::arg("parameters") = py::none(), py::arg("limit") = py::none(),
             py::arg("requery") = false, py::arg("connections") = py::none(),
             "The steps `orvane run --format json` prints, one at a time.")
        .def(
            "_table",
            [](const Report& r, const std::string& source, py::handle parameters, py::handle connections) {
                Table t = ReadTable(r, source, parameters, connections);
                py::list rows;
                for (const auto& row : t.rows) {
                    py::tuple values(row.size());
                    for (std::size_t i = 0; i < row.size(); ++i) values[i] = ToPython(row[i].second);
                    rows.append(values);
                }
                return py::make_tuple(t.columns, rows);
            },
            py::arg("source"), py::arg("parameters") = py::none(), py::arg("connections") = py::none(),
            "rows() as the column names and a list of tuples (Report.to_pandas builds on it).")
        .def(
            "rows",
            [](const Report& r, const std::string& source, py::handle parameters, py::handle connections) {
                Table t = ReadTable(r, source, parameters, connections);
                NameCache names;
                py::list rows;
                for (const auto& row : t.rows) rows.append(FieldsToPython(row, names));
                return rows;
            },
            py::arg("source"), py::arg("parameters") = py::none(), py::arg("connections") = py::none(),
            "One record source's rows as dicts of field to value.")
        .def("__repr__", [](const Orvane& r) { return "<Report " + r.Name + ">"; });

    m.def("load", &Load, py::arg("path"), "Reads a definition XML file or a package (.xpd).");
    m.def("from_xml", &FromXml, py::arg("text"), "Reads a definition from its XML text (str or bytes).");
}

}  // namespace orvane::python

PYBIND11_MODULE(_orvanespt, m) {
    m.doc() = "The compiled part of orvanespt; import orvanespt instead.";
    orvane::python::Bind(m);
}
