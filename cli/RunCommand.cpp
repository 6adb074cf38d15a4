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
#include <iostream>
#include <nlohmann/json.hpp>

#include "Support.h"
#include "Texts.h"
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/WalkSteps.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

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
    return out.empty() ? msg::kNone : out;
}

using data::ForEachTopLevel;
using data::JsonText;
using data::WalkChild;
using data::WalkRow;
using data::WalkStep;

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

std::string FieldsText(const WalkRow& row) {
    std::string out;
    for (const auto& [name, value] : row.fields) out += (out.empty() ? "" : ", ") + name + "=" + TextValue(value);
    return out.empty() ? msg::kNoFields : out;
}

void PrintChildrenText(std::ostream& out, const std::vector<WalkChild>& children, const std::string& indent) {
    for (const auto& child : children) {
        const auto n = child.rows.size();
        out << indent << child.source << ": " << msg::Rows(n) << "\n";
        for (const auto& row : child.rows) {
            out << indent << "  " << FieldsText(row) << "\n";
            PrintChildrenText(out, row.children, indent + "    ");
        }
    }
}

void PrintStepText(std::ostream& out, std::size_t number, const WalkStep& step) {
    out << msg::Step(number) << "\n";
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
        const auto [name, value] = SplitAssignment(arg, msg::ParameterNeedsNameValue(arg));
        const auto p = rpt.GetParameter(name);
        if (!p) throw CliError(msg::UnknownParameter(name, NamesOf(*rpt.eParameters)));
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
        const auto [name, value] = SplitAssignment(arg, msg::kConnectionNeedsNameString);
        const auto c = rpt.GetConnection(name);
        if (!c) throw CliError(msg::UnknownConnection(name, NamesOf(*rpt.eConections)));
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
            throw CliError(msg::ConnectionNotOpened(cnn->Name, text::OneLine(cnn->LastOpenError)));
        if (cnn && showSql) cnn->ADOCnn->Trace = ShowStatement;
    }
    ForEachTopLevel(rpt, [](eRSource& rs) {
        if (!rs.OpenRecordsource()) throw CliError(msg::SourceNotOpened(rs.Name, text::OneLine(rs.LastOpenError)));
    });
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
        std::cerr << "\rorvane: " << msg::Step(n) << std::flush;
    }

private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

void WarnIncompleteStep(const Orvane& rpt, std::size_t step) {
    ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (!rs.LastOpenError.empty())
            std::cerr << "orvane: " << data::StepWarning(step, rs.Name, rs.LastOpenError) << "\n";
    });
}

}  // namespace

CLI::App* AddRunCommand(CLI::App& app, RunOptions& o) {
    auto* run = app.add_subcommand("run", msg::kRun);
    run->add_option("ARCHIVO", o.file, msg::kFileArg)->required();
    run->add_option("-p,--parameter", o.parameters, msg::kRunParameter)->allow_extra_args(false);
    run->add_option("--connection", o.connections, msg::kRunConnection)->allow_extra_args(false);
    run->add_option("--format", o.format, msg::kFormatArg)->check(CLI::IsMember({"text", "json"}));
    run->add_option("--limit", o.limit, msg::kRunLimit)
        ->check(CLI::Validator(
            [](const std::string& v) {
                return v.find_first_not_of("0123456789") == std::string::npos && !v.empty() && v.size() < 19
                           ? std::string()
                           : msg::ValueNotAllowed("--limit", v, msg::kLimitInvalid);
            },
            ""))
        ->type_name("N");
    run->add_flag("--requery", o.requery, msg::kRunRequery);
    run->add_flag("--sql", o.sql, msg::kRunSql);
    run->add_option("--timeout", o.timeout, msg::kRunTimeout)
        ->check(CLI::Validator(
            [](const std::string& v) {
                return v.find_first_not_of("0123456789") == std::string::npos && !v.empty() && v.size() < 6 &&
                               std::stoi(v) >= 1 && std::stoi(v) <= data::kMaxTimeout
                           ? std::string()
                           : msg::ValueNotAllowed("--timeout", v, msg::TimeoutInvalid(data::kMaxTimeout));
            },
            ""))
        ->type_name("SEGUNDOS");
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
    const Json parameters = Json::parse(data::ParametersJson(*rpt));
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
        out << msg::kReport << rpt->Name << "\n";
        if (!parameters.empty()) out << msg::kParameters << "\n";
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
        std::vector<data::WalkProblem> problems;
        const WalkStep step = data::CurrentStep(*rpt, problems);
        ++steps;
        for (const auto& p : problems)
            std::cerr << "orvane: " << data::StepWarning(steps, p.source, p.why) << "\n";
        if (json)
            out << (steps > 1 ? ",\n" : "\n") << data::StepJson(step);
        else
            PrintStepText(out, steps, step);
        progress.Step(steps);
        if (!rpt->MoveNext_All()) WarnIncompleteStep(*rpt, steps);
    }
    if (json) {
        out << (steps > 0 ? "\n" : "") << "]}\n";
    } else {
        const bool limited = o.limit && steps == *o.limit && !rpt->EOF_All();
        out << msg::Steps(steps, limited) << "\n";
    }
    out << std::flush;
}

}  // namespace orvane::cli
