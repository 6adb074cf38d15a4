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

// A field's value in the current record; null when it cannot be read.
Variant FieldValue(const Field& field) {
    try {
        return field.Value();
    } catch (const std::exception&) {
        return Variant::MakeNull();
    }
}

std::vector<std::pair<std::string, Variant>> FieldsOf(const Recordset& rs) {
    std::vector<std::pair<std::string, Variant>> fields;
    fields.reserve(rs.Fields().Count());
    for (const auto& f : rs.Fields()) fields.emplace_back(f.Name(), FieldValue(f));
    return fields;
}

// Builds the WalkStep. Each container being filled, innermost last, is
// inside an element already appended, which no later append moves.
class StepBuilder final : public StepVisitor {
public:
    explicit StepBuilder(WalkStep& step) : step_(step) {}
    void Record(const std::string& source, const Recordset& rs) override {
        auto& record = step_.emplace_back(WalkRecord{source, {FieldsOf(rs), {}}});
        open_.push_back({&record.row.children, nullptr});
    }
    void Child(const std::string& source, const Recordset* rs) override {
        auto& child = open_.back().children->emplace_back(WalkChild{source, {}});
        if (rs) child.rows.reserve(rs->RecordCount());
        open_.push_back({nullptr, &child.rows});
    }
    void Row(const Recordset& rs) override {
        auto& row = open_.back().rows->emplace_back(WalkRow{FieldsOf(rs), {}});
        open_.push_back({&row.children, nullptr});
    }
    void End() override { open_.pop_back(); }

private:
    struct Open {
        std::vector<WalkChild>* children;  ///< of a record or row
        std::vector<WalkRow>* rows;        ///< of a child
    };
    WalkStep& step_;
    std::vector<Open> open_;
};

void VisitChildren(eRSource& rs, int depth, StepVisitor& v, std::string& failed);

// A move that could not reopen the child's children ends its rows, and
// failed says so (the first such failure of the step).
void VisitChildRows(eRSource& child, int depth, StepVisitor& v, std::string& failed) {
    while (!child.Eof()) {
        v.Row(*child.ADORecordset);
        VisitChildren(child, depth + 1, v, failed);
        v.End();
        if (v.Move(child)) continue;
        if (failed.empty()) failed = msg::OfSource(child.Name, child.LastOpenError);
        break;
    }
}

void VisitChildren(eRSource& rs, int depth, StepVisitor& v, std::string& failed) {
    if (!rs.eRSources || depth > kMaxRecordSourceDepth) return;
    for (const auto& child : *rs.eRSources) {
        if (!child) continue;
        v.Child(child->Name, child->ADORecordset.get());
        VisitChildRows(*child, depth, v, failed);
        v.End();
    }
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
    StepBuilder builder(step);
    VisitStep(rpt, builder, problems);
    return step;
}

StepVisitor::~StepVisitor() = default;

bool StepVisitor::Move(eRSource& child) {
    return child.MoveNext();
}

void VisitStep(const Orvane& rpt, StepVisitor& visitor, std::vector<WalkProblem>& problems) {
    ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (rs.Eof()) return;
        std::string failed;
        visitor.Record(rs.Name, *rs.ADORecordset);
        VisitChildren(rs, 1, visitor, failed);
        visitor.End();
        if (!failed.empty()) problems.push_back({rs.Name, std::move(failed)});
    });
}

std::string ProblemText(std::size_t step, const std::string& source, const std::string& why) {
    return msg::StepProblem(step, source, why);
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
    return "aviso: " + msg::StepProblem(step, source, text::OneLine(why));
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
