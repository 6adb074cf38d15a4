#include <orvanespt/data/WalkSteps.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::vector<std::pair<std::string, Variant>> FieldsOf(const Recordset& rs) {
    std::vector<std::pair<std::string, Variant>> fields;
    fields.reserve(rs.Fields().Count());
    for (const auto& f : rs.Fields()) {
        try {
            fields.emplace_back(f.Name(), f.Value());
        } catch (const std::exception&) {
            fields.emplace_back(f.Name(), Variant::MakeNull());
        }
    }
    return fields;
}

std::vector<WalkChild> ChildrenOf(eRSource& rs, int depth, std::string& failed);

// A move that could not reopen the child's children ends its rows, and
// failed says so (the first such failure of the step).
std::vector<WalkRow> ChildRowsOf(eRSource& child, int depth, std::string& failed) {
    std::vector<WalkRow> rows;
    if (child.ADORecordset) rows.reserve(child.ADORecordset->RecordCount());
    while (!child.Eof()) {
        rows.push_back({FieldsOf(*child.ADORecordset), ChildrenOf(child, depth + 1, failed)});
        if (child.MoveNext()) continue;
        if (failed.empty()) failed = msg::OfSource(child.Name, child.LastOpenError);
        break;
    }
    return rows;
}

std::vector<WalkChild> ChildrenOf(eRSource& rs, int depth, std::string& failed) {
    std::vector<WalkChild> children;
    if (!rs.eRSources || depth > kMaxRecordSourceDepth) return children;
    for (const auto& child : *rs.eRSources)
        if (child) children.push_back({child->Name, ChildRowsOf(*child, depth, failed)});
    return children;
}

void WriteFields(std::string& out, const WalkRow& row) {
    out += "\"fields\":{";
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        // Appended piece by piece: g++ 12 at -O3 warns falsely (restrict)
        // about a temporary built from a literal and strings.
        if (i) out += ',';
        out += JsonText(row.fields[i].first);
        out += ':';
        out += JsonValue(row.fields[i].second);
    }
    out += "}";
}

void WriteChildren(std::string& out, const std::vector<WalkChild>& children) {
    out += "\"children\":[";
    for (std::size_t c = 0; c < children.size(); ++c) {
        if (c) out += ',';
        out += "{\"source\":";
        out += JsonText(children[c].source);
        out += ",\"rows\":[";
        const auto& rows = children[c].rows;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            out += r ? ",{" : "{";
            WriteFields(out, rows[r]);
            out += ",";
            WriteChildren(out, rows[r].children);
            out += "}";
        }
        out += "]}";
    }
    out += "]";
}

}  // namespace

void ForEachTopLevel(const Orvane& rpt, const std::function<void(eRSource&)>& f) {
    for (const auto& rs : TopRSources(rpt)) f(*rs);
}

WalkStep CurrentStep(const Orvane& rpt) {
    std::vector<WalkProblem> ignored;
    return CurrentStep(rpt, ignored);
}

WalkStep CurrentStep(const Orvane& rpt, std::vector<WalkProblem>& problems) {
    WalkStep step;
    ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (rs.Eof()) return;
        std::string failed;
        step.push_back({rs.Name, {FieldsOf(*rs.ADORecordset), ChildrenOf(rs, 1, failed)}});
        if (!failed.empty()) problems.push_back({rs.Name, std::move(failed)});
    });
    return step;
}

std::string ParametersJson(const Orvane& rpt) {
    Json params = Json::object();
    if (rpt.eParameters) {
        for (const auto& p : *rpt.eParameters) {
            if (!p) continue;
            const auto text = p->Value.Text();
            Json& shown = params[p->Name] = text ? Json(*text) : Json(nullptr);
            if (!p->Values) continue;
            shown = Json::array();
            for (const auto& v : *p->Values) shown.push_back(v.TextOr());
        }
    }
    return Dump(params);
}

std::string StepWarning(std::size_t step, const std::string& source, const std::string& why) {
    return msg::StepWarning(step, source, text::OneLine(why));
}

std::string StepJson(const WalkStep& step) {
    std::string out = "[";
    for (std::size_t i = 0; i < step.size(); ++i) {
        if (i) out += ',';
        out += "{\"source\":";
        out += JsonText(step[i].source);
        out += ',';
        WriteFields(out, step[i].row);
        out += ",";
        WriteChildren(out, step[i].row.children);
        out += "}";
    }
    return out + "]";
}

std::string JsonText(const std::string& text) {
    return Dump(Json(text));
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
            return JsonText(v.AsDate()->ToIsoText('T'));
        default:
            return "null";  // empty, null, objects
    }
}

}  // namespace orvane::data
