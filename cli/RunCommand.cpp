// orvane run FILE [-p NAME=VALUE]... [--connection NAME=STRING]...
//                 [--format text|json] [--limit N] [--requery] [--timeout SECONDS] [--sql]
//
// With --sql, standard error shows each statement as it is sent, before it
// runs, and the value bound to each of its marks:
//   sql: SELECT ... WHERE id_cliente = 4
//        AND fecha <= ?
//        ?1 = "20240630" (Hasta)
//
// Output, JSON form (one step per line inside "steps"):
//   {"report": NAME, "parameters": {NAME: TEXT-OR-NULL, ...}, "steps": [STEP, ...]}
//   (a parameter given more than once shows the array of its texts)
//   STEP   = [RECORD, ...]  one per top-level record source not at its end
//   RECORD = {"source": NAME, "fields": {FIELD: VALUE, ...}, "children": [CHILD, ...]}
//   CHILD  = {"source": NAME, "rows": [ROW, ...]}  every row after the parent's move
//   ROW    = {"fields": {...}, "children": [CHILD, ...]}
// VALUE is a JSON number (an exact decimal with every digit), string,
// true/false or null; dates are ISO 8601 text, a time alone "hh:mm:ss[.f]".
// The text form shows the same content indented, one record per line.
#include "RunCommand.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Support.h"
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Secrets.h>

namespace orvane::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// NAME and VALUE of a NAME=VALUE argument; the value may hold "=".
std::pair<std::string, std::string> SplitAssignment(const std::string& arg, const std::string& usage) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) throw CliError(usage);
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

template <typename T>
std::string NamesOf(const Collection<T>& items) {
    std::string out;
    for (const auto& item : items)
        if (item) out += (out.empty() ? "" : ", ") + item->Name;
    return out.empty() ? "none" : out;
}

// The walk as it stands after a move, kept as values until it is printed,
// so that each output form writes a value its own way (JSON needs a decimal's
// every digit as a number, which a JSON library's double cannot carry).
struct RowOut;
struct ChildOut {
    std::string source;
    std::vector<RowOut> rows;
};
struct RowOut {
    std::vector<std::pair<std::string, Variant>> fields;
    std::vector<ChildOut> children;
};
struct RecordOut {
    std::string source;
    RowOut row;
};
using StepOut = std::vector<RecordOut>;

std::vector<std::pair<std::string, Variant>> FieldsOf(const data::Recordset& rs) {
    std::vector<std::pair<std::string, Variant>> fields;
    for (const auto& f : rs.Fields()) {
        try {
            fields.emplace_back(f.Name(), f.Value());
        } catch (const std::exception&) {
            fields.emplace_back(f.Name(), Variant::MakeNull());
        }
    }
    return fields;
}

std::vector<ChildOut> ChildrenOf(eRSource& rs, int depth);

// Every row of a child as it stands, walked with the child's own moves so
// that its children follow each row.
std::vector<RowOut> ChildRowsOf(eRSource& child, int depth) {
    std::vector<RowOut> rows;
    while (!child.Eof()) {
        rows.push_back({FieldsOf(*child.ADORecordset), ChildrenOf(child, depth + 1)});
        if (!child.MoveNext()) break;
    }
    return rows;
}

std::vector<ChildOut> ChildrenOf(eRSource& rs, int depth) {
    std::vector<ChildOut> children;
    if (!rs.eRSources || depth > kMaxRecordSourceDepth) return children;
    for (const auto& child : *rs.eRSources)
        if (child) children.push_back({child->Name, ChildRowsOf(*child, depth)});
    return children;
}

template <typename F>
void ForEachTopLevel(const Orvane& rpt, F f) {
    for (const auto& cnn : *rpt.eConections) {
        if (!cnn || !cnn->eRSources) continue;
        for (const auto& rs : *cnn->eRSources)
            if (rs) f(*rs);
    }
}

StepOut StepOf(const Orvane& rpt) {
    StepOut step;
    ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (rs.Eof()) return;
        step.push_back({rs.Name, {FieldsOf(*rs.ADORecordset), ChildrenOf(rs, 1)}});
    });
    return step;
}

// --- JSON form ---

std::string JsonText(const std::string& s) {
    return Dump(Json(s));
}

// ISO 8601: "2024-03-14", "2024-03-14T14:30:00.123456", a time alone "23:59:59".
std::string IsoText(const DateTime& d) {
    if (d.IsTimeOnly()) return d.TimeText();
    std::string out = d.ToIsoText();
    if (d.HasTime()) out[10] = 'T';
    return out;
}

std::string JsonValue(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Bool:
            return *v.AsBool() ? "true" : "false";
        case Variant::Kind::Int:
            return std::to_string(*v.AsInt());
        case Variant::Kind::Double:
            // The shortest text that reads back as the same double.
            return std::isfinite(*v.AsDouble()) ? Dump(Json(*v.AsDouble())) : "null";
        case Variant::Kind::Decimal:
            return v.AsDecimal()->Text('.');
        case Variant::Kind::Text:
            return JsonText(*v.AsText());
        case Variant::Kind::Date:
            return JsonText(IsoText(*v.AsDate()));
        default:
            return "null";  // empty, null, objects
    }
}

void WriteFieldsJson(std::ostream& out, const RowOut& row) {
    out << "\"fields\":{";
    for (std::size_t i = 0; i < row.fields.size(); ++i)
        out << (i ? "," : "") << JsonText(row.fields[i].first) << ":" << JsonValue(row.fields[i].second);
    out << "}";
}

void WriteChildrenJson(std::ostream& out, const std::vector<ChildOut>& children) {
    out << "\"children\":[";
    for (std::size_t c = 0; c < children.size(); ++c) {
        out << (c ? "," : "") << "{\"source\":" << JsonText(children[c].source) << ",\"rows\":[";
        const auto& rows = children[c].rows;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            out << (r ? "," : "") << "{";
            WriteFieldsJson(out, rows[r]);
            out << ",";
            WriteChildrenJson(out, rows[r].children);
            out << "}";
        }
        out << "]}";
    }
    out << "]";
}

void WriteStepJson(std::ostream& out, const StepOut& step) {
    out << "[";
    for (std::size_t i = 0; i < step.size(); ++i) {
        out << (i ? "," : "") << "{\"source\":" << JsonText(step[i].source) << ",";
        WriteFieldsJson(out, step[i].row);
        out << ",";
        WriteChildrenJson(out, step[i].row.children);
        out << "}";
    }
    out << "]";
}

// --- text form ---

// The library's own text form of each value (26.7, not 26.700000000000003;
// the locale's decimal separator), texts and dates in quotes.
std::string TextValue(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Text:
            return JsonText(*v.AsText());
        case Variant::Kind::Date:
            return JsonText(v.TextOr());
        default:
            if (const auto t = v.Text()) return *t;
            return "NULL";
    }
}

std::string FieldsText(const RowOut& row) {
    std::string out;
    for (const auto& [name, value] : row.fields) out += (out.empty() ? "" : ", ") + name + "=" + TextValue(value);
    return out.empty() ? "(no fields)" : out;
}

void PrintChildrenText(std::ostream& out, const std::vector<ChildOut>& children, const std::string& indent) {
    for (const auto& child : children) {
        const auto n = child.rows.size();
        out << indent << child.source << ": " << n << (n == 1 ? " row" : " rows") << "\n";
        for (const auto& row : child.rows) {
            out << indent << "  " << FieldsText(row) << "\n";
            PrintChildrenText(out, row.children, indent + "    ");
        }
    }
}

void PrintStepText(std::ostream& out, std::size_t number, const StepOut& step) {
    out << "step " << number << "\n";
    for (const auto& record : step) {
        out << "  " << record.source << ": " << FieldsText(record.row) << "\n";
        PrintChildrenText(out, record.row.children, "    ");
    }
}

// --- the run ---

void ApplyArguments(Orvane& rpt, const RunOptions& o) {
    // A parameter given once takes that value; given again, the list of all
    // its values in order.
    std::vector<std::pair<std::shared_ptr<eParameter>, std::vector<Variant>>> given;
    for (const auto& arg : o.parameters) {
        const auto [name, value] = SplitAssignment(arg, "-p \"" + arg + "\": expected NAME=VALUE");
        const auto p = rpt.GetParameter(name);
        if (!p)
            throw CliError("unknown parameter \"" + name + "\" (the report has: " + NamesOf(*rpt.eParameters) + ")");
        auto same = std::find_if(given.begin(), given.end(), [&](const auto& g) { return g.first == p; });
        if (same == given.end()) same = given.insert(given.end(), {p, {}});
        same->second.emplace_back(value);
    }
    for (auto& [p, values] : given) {
        if (values.size() == 1)
            p->Value = std::move(values.front());
        else
            p->Values = std::move(values);
    }
    for (const auto& arg : o.connections) {
        // The argument may hold a password: it is never repeated in a message.
        const auto [name, value] = SplitAssignment(arg, "--connection expects NAME=CONNECTION-STRING");
        const auto c = rpt.GetConnection(name);
        if (!c)
            throw CliError("unknown connection \"" + name + "\" (the report has: " + NamesOf(*rpt.eConections) + ")");
        c->cnnString = value;
    }
    for (const auto& cnn : *rpt.eConections)
        if (cnn && o.timeout) cnn->ConnectionTimeout = cnn->CommandTimeout = *o.timeout;
}

// Writes a statement about to be sent and its bound values, passwords masked.
void ShowStatement(const std::string& statement, const std::vector<std::pair<std::string, Variant>>& values) {
    std::string out = "sql: ";
    const std::string shown = platform::ScrubPasswords(statement);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == '\r') continue;
        out += shown[i];
        if (shown[i] == '\n') out += "     ";
    }
    out += "\n";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += "     ?" + std::to_string(i + 1) + " = " + platform::ScrubPasswords(TextValue(values[i].second)) + " (" +
               values[i].first + ")\n";
    std::cerr << out << std::flush;
}

void OpenData(const Orvane& rpt, bool showSql) {
    for (const auto& cnn : *rpt.eConections) {
        if (cnn && !cnn->OpenConnection())
            throw CliError("connection \"" + cnn->Name + "\" did not open: " + OneLine(cnn->LastOpenError));
        if (cnn && showSql) cnn->ADOCnn->Trace = ShowStatement;
    }
    ForEachTopLevel(rpt, [](eRSource& rs) {
        if (!rs.OpenRecordsource())
            throw CliError("record source \"" + rs.Name + "\" did not open: " + OneLine(rs.LastOpenError));
    });
}

Json ParametersJson(const Orvane& rpt) {
    Json params = Json::object();
    for (const auto& p : *rpt.eParameters) {
        if (!p) continue;
        const auto text = p->Value.Text();
        Json& shown = params[p->Name] = text ? Json(*text) : Json(nullptr);
        if (!p->Values) continue;
        shown = Json::array();
        for (const auto& v : *p->Values) shown.push_back(v.TextOr());
    }
    return params;
}

// A "step N" line on a terminal's standard error, at most twice a second.
class Progress {
public:
    Progress() : enabled_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() {
        if (shown_) std::cerr << "\r\033[K" << std::flush;
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void Step(std::size_t n) {
        if (!enabled_) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < std::chrono::milliseconds(500)) return;
        last_ = now;
        shown_ = true;
        std::cerr << "\rorvane: step " << n << std::flush;
    }

private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

void WarnIncompleteStep(const Orvane& rpt, std::size_t step) {
    ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (!rs.LastOpenError.empty())
            std::cerr << "orvane: warning: step " << step << ": record source \"" << rs.Name
                      << "\": " << OneLine(rs.LastOpenError) << "\n";
    });
}

}  // namespace

CLI::App* AddRunCommand(CLI::App& app, RunOptions& o) {
    auto* run = app.add_subcommand("run", "Open the report's data and print the walk over its records");
    run->add_option("FILE", o.file, "Report package (.xpd) or definition XML")->required();
    run->add_option("-p,--parameter", o.parameters, "Parameter value NAME=VALUE; a NAME given again makes a list")
        ->allow_extra_args(false);
    run->add_option("--connection", o.connections, "Connection string NAME=STRING replacing the stored one")
        ->allow_extra_args(false);
    run->add_option("--format", o.format, "Output form")->check(CLI::IsMember({"text", "json"}));
    run->add_option("--limit", o.limit, "Print at most N steps")
        ->check(CLI::Validator(
            [](const std::string& v) {
                return v.find_first_not_of("0123456789") == std::string::npos && !v.empty() && v.size() < 19
                           ? std::string()
                           : "expected a whole number of steps, 0 or more";
            },
            "N"));
    run->add_flag("--requery", o.requery,
                  "Run every child's query again on every move, even when it would give the rows it holds");
    run->add_flag("--sql", o.sql,
                  "Muestra en la salida de errores cada sentencia tal como se envía, con los valores de sus marcas");
    run->add_option("--timeout", o.timeout, "Segundos que cada conexión puede tardar en abrirse y cada consulta en responder")
        ->check(CLI::Validator(
            [](const std::string& v) {
                return v.find_first_not_of("0123456789") == std::string::npos && !v.empty() && v.size() < 6 &&
                               std::stoi(v) >= 1 && std::stoi(v) <= data::kMaxTimeout
                           ? std::string()
                           : "se esperaba un número entero de segundos entre 1 y " + std::to_string(data::kMaxTimeout);
            },
            "SECONDS"));
    return run;
}

void RunReport(const RunOptions& o) {
    const auto rpt = LoadDefinition(o.file);
    rpt->IniParameters();
    ApplyArguments(*rpt, o);
    if (o.requery) {
        for (const auto& cnn : *rpt->eConections)
            if (cnn)
                WalkRSources(cnn->eRSources.get(), [](const std::shared_ptr<eRSource>& rs, int, bool) {
                    rs->ReuseRows = false;
                    return true;
                });
    }
    const Json parameters = ParametersJson(*rpt);
    // The design-time filter and sort of a top-level record source are the
    // host's to apply (children get theirs from their parent's move): this
    // host prints the report as designed.
    ForEachTopLevel(*rpt, [](eRSource& rs) {
        rs.RTFilter = rs.Filter;
        rs.RTOrder = rs.Order;
    });
    OpenData(*rpt, o.sql);

    const bool json = o.format == "json";
    std::ostream& out = std::cout;
    if (json) {
        out << "{\"report\":" << Dump(rpt->Name) << ",\"parameters\":" << Dump(parameters) << ",\"steps\":[";
    } else {
        out << "report " << rpt->Name << "\n";
        if (!parameters.empty()) out << "parameters\n";
        for (const auto& [name, value] : parameters.items())
            out << "  " << name << " = "
                << (value.is_null()    ? "NULL"
                    : value.is_array() ? Dump(value)
                                       : value.get<std::string>())
                << "\n";
    }
    Progress progress;
    std::size_t steps = 0;
    while (!rpt->EOF_All() && (!o.limit || steps < *o.limit)) {
        const StepOut step = StepOf(*rpt);
        ++steps;
        if (json)
            WriteStepJson(out << (steps > 1 ? ",\n" : "\n"), step);
        else
            PrintStepText(out, steps, step);
        progress.Step(steps);
        if (!rpt->MoveNext_All()) WarnIncompleteStep(*rpt, steps);
    }
    if (json) {
        out << (steps > 0 ? "\n" : "") << "]}\n";
    } else {
        const bool limited = o.limit && steps == *o.limit && !rpt->EOF_All();
        out << steps << (steps == 1 ? " step" : " steps") << (limited ? " (limit reached)" : "") << "\n";
    }
    out << std::flush;
}

}  // namespace orvane::cli
