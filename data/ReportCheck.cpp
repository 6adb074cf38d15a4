#include <orvanespt/data/ReportCheck.h>

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include <orvanespt/data/Macros.h>
#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/FilterExpression.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/GridLink.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

using Place = std::vector<PlaceStep>;
using Step = PlaceStep::Kind;

constexpr std::string_view kGridClass = "ePrnGridControl.ePrnGrid";

Place With(Place place, Step kind, const std::string& name) {
    place.push_back({kind, name});
    return place;
}

// The key lookups compare names by: trimmed of blanks, in lower case.
std::string NameKey(const std::string& name) {
    return text::Lower(std::string(text::TrimBlanks(name)));
}

bool HasName(const std::vector<std::string>& names, const std::string& name) {
    const std::string key = NameKey(name);
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return NameKey(n) == key; });
}

// Why a parameter's value cannot be read as its type, or nullopt when it can:
// a date type needs a real date; other types what binding them takes.
std::optional<std::string> Unreadable(const eParameter& p, const Variant& value) {
    if (text::TrimBlanks(value.TextOr()).empty()) return std::nullopt;
    if (AdoTypeCategory(p.eType()) == kCategoryDateTime) {
        const auto d = value.ToDate();
        if (d && d->IsValid()) return std::nullopt;
        return msg::NotADate(p.Name, value.TextOr());
    }
    const AdoTypeRow* row = FindAdoType(p.eType());
    if (!row) return std::nullopt;
    try {
        Parameter(p.Name, row->Code, 0).Value(value);
        return std::nullopt;
    } catch (const std::exception& e) {
        return e.what();
    }
}

// The parameters' values for the time of the check.
class SavedValues {
public:
    explicit SavedValues(Orvane& rpt) {
        for (const auto& p : *rpt.eParameters)
            if (p) saved_.push_back({p, p->Value, p->Values});
        rpt.IniParameters();
    }
    ~SavedValues() {
        for (auto& s : saved_) {
            s.p->Value = std::move(s.value);
            s.p->Values = std::move(s.values);
        }
    }
    SavedValues(const SavedValues&) = delete;
    SavedValues& operator=(const SavedValues&) = delete;

private:
    struct Saved {
        std::shared_ptr<eParameter> p;
        Variant value;
        std::optional<std::vector<Variant>> values;
    };
    std::vector<Saved> saved_;
};

class Checker {
public:
    Checker(Orvane& rpt, const CheckOptions& options) : rpt_(rpt), options_(options) {}

    std::vector<Finding> Run() {
        if (!rpt_.eConections || !rpt_.eParameters || !rpt_.eDialogs) return {};
        SavedValues values(rpt_);
        for (const auto& cnn : *rpt_.eConections)
            if (cnn) Connection(*cnn);
        Parameters();
        // Every record source is known before the controls that name them.
        for (const auto& dlg : *rpt_.eDialogs)
            if (dlg) Sources(dlg->eRSources.get(), {{Step::Dialog, dlg->Name}}, options_.open, false);
        for (const auto& dlg : *rpt_.eDialogs)
            if (dlg) Controls(dlg->eControls.get(), {{Step::Dialog, dlg->Name}});
        if (rpt_.ePrnFormats)
            for (const auto& fmt : *rpt_.ePrnFormats)
                if (fmt) Controls(fmt->eControls.get(), {{Step::Format, fmt->Name}});
        Names();
        return std::move(found_);
    }

private:
    void Add(FindingKind kind, Place place, const std::string& name, std::string message,
             Severity severity = Severity::Error) {
        found_.push_back({kind, severity, std::move(place), name, std::move(message)});
    }

    // --- connections and record sources ---

    void Connection(eConnection& cnn) {
        const Place place{{Step::Connection, cnn.Name}};
        bool open = false;
        if (options_.open) {
            open = cnn.OpenConnection();
            if (!open)
                Add(FindingKind::ConnectionFailed, place, cnn.Name, msg::ConnectionDoesNotOpen(cnn.LastOpenError));
        }
        Sources(cnn.eRSources.get(), place, open, true);
    }

    void Sources(const Collection<eRSource>* top, const Place& owner, bool open, bool keeps) {
        std::vector<Place> path{owner};
        WalkRSources(
            top,
            [&](const std::shared_ptr<eRSource>& rs, int depth, bool) {
                path.resize(static_cast<std::size_t>(depth));
                path.push_back(With(path.back(), Step::RecordSource, rs->Name));
                // Only a child is opened again by a move: the top level keeps nothing.
                Source(*rs, path.back(), open, keeps && depth > 1);
                return true;
            },
            [](const eRSource&, int) {});
    }

    void Source(eRSource& rs, const Place& place, bool open, bool keeps) {
        sources_.push_back(&rs);
        if (!rs.eCnn.lock()) {
            const std::string name = rs.ecnnName();
            Add(FindingKind::UnknownConnection, place, name,
                name.empty() ? msg::kSourceWithoutConnection : msg::ConnectionNameUnknown(name));
        }
        Macros(rs, place);
        Sent(rs, place);
        const std::string filter = Parsed(rs, rs.Filter, place, FindingKind::BadFilter, msg::kTheFilter);
        const std::string order = Parsed(rs, rs.Order, place, FindingKind::BadSort, msg::kTheSort);
        const std::string linked(text::TrimBlanks(rs.idParameterLinked));
        if (!linked.empty() && !rpt_.FindParameter(linked))
            Add(FindingKind::UnknownLinkedParameter, place, rs.idParameterLinked,
                msg::LinkedParameterUnknown(rs.idParameterLinked));
        if (keeps && options_.keepsRows && options_.keepsRows(rs))
            Add(FindingKind::KeepsRows, place, rs.Name, msg::kKeepsRows, Severity::Info);
        if (open) Prepare(rs, place, filter, order);
    }

    void Macros(const eRSource& rs, const Place& place) {
        for (const auto& [what, txt] : {std::pair{msg::kTheQuery, &rs.SQLCommand},
                                        std::pair{msg::kTheFilter, &rs.Filter}, std::pair{msg::kTheSort, &rs.Order}}) {
            for (const auto& token : UnknownMacros(rpt_, *txt))
                Add(FindingKind::UnknownMacro, place, "@" + token, msg::MacroUnknownIn(what, token));
            const std::size_t at = UnclosedMacroAt(*txt);
            if (at != std::string::npos)
                Add(FindingKind::UnclosedMacro, place, txt->substr(at, 20), msg::MacroUnclosed(what, at + 1));
        }
    }

    // The SendParameters names that name no parameter, and the count of
    // marks of a text command against the names sent.
    void Sent(const eRSource& rs, const Place& place) {
        std::size_t names = 0;
        for (const auto& piece : text::Split(rs.SendParameters, ",")) {
            const std::string name(text::TrimBlanks(piece));
            if (name.empty()) continue;
            ++names;
            if (!rpt_.FindParameter(name))
                Add(FindingKind::UnknownSendParameter, place, name, msg::SentParameterUnknown(name));
        }
        const std::string type(text::TrimBlanks(rs.TypeofCommand));
        if (!type.empty() && type != "1") return;
        const auto marks = CountParameterMarks(rs.SQLCommand);
        if (marks && *marks != names)
            Add(FindingKind::MarkCount, place, rs.SendParameters, msg::MarksAndSent(*marks, names));
    }

    // The text with its macros replaced when it parses; "" when it does not.
    std::string Parsed(const eRSource& rs, const std::string& stored, const Place& place, FindingKind kind,
                       const char* what) {
        if (text::TrimBlanks(stored).empty()) return {};
        const std::string replaced = rs.ReplaceMacros(stored);
        try {
            if (kind == FindingKind::BadFilter)
                ParseFilter(replaced);
            else
                ParseSort(replaced);
            return replaced;
        } catch (const std::exception& e) {
            Add(kind, place, stored, msg::NotUnderstood(what, stored, e.what()));
            return {};
        }
    }

    // Prepares the query as OpenRecordsource would run it, and looks for
    // the fields its link, filter and sort name among the result's.
    void Prepare(eRSource& rs, const Place& place, const std::string& filter, const std::string& order) {
        const auto cnn = rs.eCnn.lock();
        if (!cnn || !cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen) return;
        std::vector<std::string> fields;
        try {
            Command command;
            command.CommandText = rs.ReplaceMacros(rs.SQLCommand);
            const std::string type(text::TrimBlanks(rs.TypeofCommand));
            if (!type.empty() && type.find_first_not_of("0123456789") == std::string::npos && type.size() < 9)
                command.CommandType = std::stoi(type);
            else if (!type.empty())
                throw DataError(msg::QueryTypeNotNumber(type));
            for (const auto& piece : text::Split(rs.SendParameters, ",")) {
                const eParameter* p = rpt_.FindParameter(std::string(text::TrimBlanks(piece)));
                if (!p) continue;
                auto made = command.CreateParameter(p->Name, AdoTypeCode(p->eType()), 1);
                try {
                    made->Value(p->Value);
                } catch (const std::exception&) {
                    made->Value(Variant::MakeNull());  // already told: the default does not read
                }
                command.Parameters().Append(std::move(made));
            }
            command.ActiveConnection = cnn->ADOCnn;
            fields = command.Describe();
        } catch (const std::exception& e) {
            std::string why = e.what();
            for (const auto& token : UnknownMacros(rpt_, rs.SQLCommand)) why += "; " + msg::UnknownMacro(token);
            Add(FindingKind::QueryFailed, place, rs.Name, msg::QueryFails(why));
            return;
        }
        fields_[&rs] = fields;
        const auto missing = [&](const std::string& field, const std::string& what) {
            if (!field.empty() && !HasName(fields, field))
                Add(FindingKind::MissingField, place, field, msg::FieldNotInQuery(what, field));
        };
        missing(std::string(text::TrimBlanks(rs.eFieldNametoParameters)), "eFieldNametoParameters");
        try {
            if (const auto tree = ParseFilter(filter)) FilterFields(*tree, missing);
            for (const auto& key : ParseSort(order)) missing(key.field, msg::kTheSort);
        } catch (const std::exception&) {
            // Told already: the text does not parse.
        }
    }

    template <typename Missing>
    static void FilterFields(const FilterNode& node, const Missing& missing) {
        if (node.kind == FilterNode::Kind::Compare) missing(node.field, msg::kTheFilter);
        for (const auto& child : node.children) FilterFields(child, missing);
    }

    // --- parameters, dialogs, formats ---

    void Parameters() {
        for (const auto& p : *rpt_.eParameters) {
            if (!p) continue;
            if (const auto why = Unreadable(*p, Variant(p->Predef)))
                Add(FindingKind::BadDefault, {{Step::Parameter, p->Name}}, p->Predef,
                    msg::DefaultUnreadable(p->eType(), *why));
        }
    }

    // The record source a "source.field" names (any connection or dialog).
    eRSource* SourceNamed(const std::string& name) const {
        const std::string key = NameKey(name);
        for (eRSource* rs : sources_)
            if (NameKey(rs->Name) == key) return rs;
        return nullptr;
    }

    // A reference "source.field": the source must exist and, once opened,
    // hold the field.
    void FieldReference(const std::string& ref, const Place& place, FindingKind kind, const std::string& what) {
        const std::size_t dot = ref.find('.');
        const std::string source(text::TrimBlanks(std::string_view(ref).substr(0, dot)));
        const std::string field(text::TrimBlanks(std::string_view(ref).substr(dot + 1)));
        eRSource* rs = SourceNamed(source);
        if (!rs) {
            Add(kind, place, ref, msg::ReferenceNamesNoSource(what, ref, source));
            return;
        }
        const auto fields = fields_.find(rs);
        if (fields != fields_.end() && !HasName(fields->second, field))
            Add(FindingKind::MissingField, place, ref, msg::FieldNotInSource(what, ref, field, rs->Name));
    }

    void Controls(const Collection<eControl>* controls, const Place& owner) {
        if (!controls) return;
        for (const auto& c : *controls) {
            if (!c) continue;
            const Place place = With(owner, Step::Control, c->Name);
            const std::string bound(text::TrimBlanks(c->BindObject));
            if (bound.find('.') != std::string::npos)
                FieldReference(bound, place, FindingKind::UnknownBinding, "BindObject");
            else if (!bound.empty() && !rpt_.FindParameter(bound) && !SourceNamed(bound))
                Add(FindingKind::UnknownBinding, place, bound, msg::BindingUnknown(bound));
            if (const auto source = c->GetExtProperty("SourceName")) {
                const std::string name(text::TrimBlanks(source->Value.TextOr()));
                if (!name.empty() && !SourceNamed(name))
                    Add(FindingKind::UnknownSource, place, name, msg::SourceNameUnknown(name));
            }
            if (c->Class == kGridClass) Grid(*c, place);
        }
    }

    void Grid(const eControl& c, const Place& place) {
        const auto cells = GridCells(c);
        if (!cells) {
            Add(FindingKind::BadGrid, place, "Tables", msg::kGridUnreadable);
            return;
        }
        for (const auto& [name, eSource] : *cells) {
            const std::string source(text::TrimBlanks(eSource));
            // A formula ("=Sum(lineas.importe)") is the host's to read.
            if (source.empty() || source[0] == '=' || source.find('.') == std::string::npos) continue;
            FieldReference(source, With(place, Step::Control, name), FindingKind::UnknownSource, msg::kTheCellTakes);
        }
    }

    // --- names a lookup cannot tell apart ---

    template <typename T, typename Name>
    void Twins(const Collection<T>* items, Step kind, const Place& owner, const char* what, Name name) {
        if (!items) return;
        std::map<std::string, std::string> first;
        for (const auto& item : *items) {
            if (!item) continue;
            const std::string n = name(*item);
            const auto [at, added] = first.emplace(NameKey(n), n);
            if (added) continue;
            Add(FindingKind::DuplicateName, With(owner, kind, n), n, msg::Confused(what, n, at->second));
        }
    }

    void Names() {
        const auto named = [](const auto& item) { return item.Name; };
        Twins(rpt_.eConections.get(), Step::Connection, {}, msg::kTheConnection, named);
        Twins(rpt_.eParameters.get(), Step::Parameter, {}, msg::kTheParameter, named);
        Twins(rpt_.eDialogs.get(), Step::Dialog, {}, msg::kTheDialog, named);
        Twins(rpt_.ePrnFormats.get(), Step::Format, {}, msg::kTheFormat, named);
        Twins(rpt_.ResDataCollection.get(), Step::Resource, {}, msg::kTheResource, named);
        // Record sources are looked up across the whole definition.
        Collection<eRSource> all;
        for (eRSource* rs : sources_) all.Add(rs->shared_from_this());
        Twins(&all, Step::RecordSource, {}, msg::kTheSource, named);
        for (const auto& dlg : *rpt_.eDialogs)
            if (dlg) Twins(dlg->eControls.get(), Step::Control, {{Step::Dialog, dlg->Name}}, msg::kTheControl, named);
        if (!rpt_.ePrnFormats) return;
        for (const auto& fmt : *rpt_.ePrnFormats)
            if (fmt) Twins(fmt->eControls.get(), Step::Control, {{Step::Format, fmt->Name}}, msg::kTheControl, named);
    }

    Orvane& rpt_;
    const CheckOptions& options_;
    std::vector<Finding> found_;
    std::vector<eRSource*> sources_;                                        // every record source met, in order
    std::unordered_map<const eRSource*, std::vector<std::string>> fields_;  // prepared results
};

}  // namespace

std::vector<Finding> CheckReport(Orvane& rpt, const CheckOptions& options) {
    try {
        return Checker(rpt, options).Run();
    } catch (const std::exception& e) {
        return {{FindingKind::QueryFailed, Severity::Error, {}, "", msg::CheckStopped(e.what())}};
    }
}

std::string PlaceText(const std::vector<PlaceStep>& place) {
    std::string out;
    for (const auto& step : place)
        out +=
            (out.empty() ? "" : " / ") + std::string(msg::kPlaceWords[static_cast<int>(step.kind)]) + " " + step.name;
    return out.empty() ? msg::kPlaceReport : out;
}

const char* KindId(FindingKind kind) {
    static constexpr const char* kIds[] = {"unknown_macro",
                                           "unclosed_macro",
                                           "unknown_send_parameter",
                                           "mark_count",
                                           "bad_filter",
                                           "bad_sort",
                                           "unknown_linked_parameter",
                                           "unknown_connection",
                                           "duplicate_name",
                                           "bad_default",
                                           "unknown_binding",
                                           "unknown_source",
                                           "bad_grid",
                                           "connection_failed",
                                           "query_failed",
                                           "missing_field",
                                           "keeps_rows"};
    return kIds[static_cast<int>(kind)];
}

const char* PlaceKindId(PlaceStep::Kind kind) {
    static constexpr const char* kIds[] = {"connection", "record_source", "parameter", "dialog",
                                           "format",     "control",       "resource"};
    return kIds[static_cast<int>(kind)];
}

const char* SeverityId(Severity severity) {
    return severity == Severity::Error ? "error" : "info";
}

}  // namespace orvane::data
