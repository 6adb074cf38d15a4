// Command execution and the conversion of parameter values by type code.
#include <orvanespt/data/ado/Command.h>

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

using detail::BoundValue;

// "Desde: no es una fecha"; Parameter::Value adds the value that failed.
[[noreturn]] void Refuse(const Parameter& p, const std::string& why) {
    throw DataError(p.Name + ": " + why);
}

// A number from any value kind; nullopt when it has none.
std::optional<double> NumberOf(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Int:
            return static_cast<double>(*v.AsInt());
        case Variant::Kind::Double:
            return *v.AsDouble();
        case Variant::Kind::Decimal:
            return v.AsDecimal()->ToDouble();
        case Variant::Kind::Bool:
            return *v.AsBool() ? -1.0 : 0.0;
        case Variant::Kind::Date:
            return v.AsDate()->ToSerial();
        case Variant::Kind::Text:
            return platform::ParseLocaleDouble(text::TrimWhite(*v.AsText()));
        default:
            return std::nullopt;
    }
}

// An exact number from any value kind: a double by its text form (what the
// user sees: 3.14, not 3.140000000000000124), a text read whole in the user's
// locale. nullopt when the value is not a number.
std::optional<Decimal> ExactOf(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Decimal:
            return *v.AsDecimal();
        case Variant::Kind::Int:
            return Decimal::FromInt(*v.AsInt());
        case Variant::Kind::Bool:
            return Decimal::FromInt(*v.AsBool() ? -1 : 0);
        case Variant::Kind::Text:
            return Decimal::Parse(*v.AsText(), platform::DecimalSeparator());
        default:
            break;
    }
    const auto n = NumberOf(v);
    if (!n || !std::isfinite(*n)) return std::nullopt;
    return Decimal::Parse(platform::FormatDouble(*n), platform::DecimalSeparator());
}

BoundValue Whole(const Parameter& p, const Variant& v, const AdoTypeRow& row) {
    BoundValue b;
    b.kind = BoundValue::Kind::Int;
    if (v.kind() == Variant::Kind::Int) {
        b.integer = *v.AsInt();
        if (static_cast<double>(b.integer) < row.Low || static_cast<double>(b.integer) > row.High)
            Refuse(p, "fuera de rango");
        return b;
    }
    const std::optional<double> n = NumberOf(v);
    if (!n) Refuse(p, "no es un número");
    const double rounded = std::nearbyint(*n);
    if (!(rounded >= row.Low && rounded <= row.High)) Refuse(p, "fuera de rango");
    b.integer = static_cast<std::int64_t>(rounded);
    return b;
}

// Bound as what the value holds: a number, a truth value, a date and time,
// else its text.
BoundValue OwnKind(const Variant& v) {
    BoundValue b;
    switch (v.kind()) {
        case Variant::Kind::Int:
            b.kind = BoundValue::Kind::Int;
            b.integer = *v.AsInt();
            return b;
        case Variant::Kind::Double:
            b.kind = BoundValue::Kind::Double;
            b.real = *v.AsDouble();
            return b;
        case Variant::Kind::Bool:
            b.kind = BoundValue::Kind::Bool;
            b.integer = *v.AsBool();
            return b;
        case Variant::Kind::Decimal:
            b.kind = BoundValue::Kind::Decimal;
            b.text = v.AsDecimal()->Text();
            return b;
        case Variant::Kind::Date:
            b.kind = BoundValue::Kind::Timestamp;
            b.date = *v.AsDate();
            return b;
        default:
            b.kind = BoundValue::Kind::Text;
            b.text = v.TextOr();
            return b;
    }
}

BoundValue Convert(const Parameter& p, const Variant& v) {
    BoundValue b;
    if (v.IsNull() || v.IsEmpty()) return b;
    if (v.kind() == Variant::Kind::Object) Refuse(p, "un objeto no puede enviarse a la base de datos");
    const AdoTypeRow* row = FindAdoTypeCode(p.Type);
    const AdoBinding binding = row ? row->Binding : AdoBinding::Refused;
    switch (binding) {
        case AdoBinding::Whole:
            return Whole(p, v, *row);
        case AdoBinding::Real: {
            auto n = NumberOf(v);
            if (!n || !std::isfinite(*n)) Refuse(p, "no es un número");
            b.kind = BoundValue::Kind::Double;
            b.real = *n;
            return b;
        }
        case AdoBinding::Exact: {
            const auto d = ExactOf(v);
            if (!d) Refuse(p, "no es un número");
            b.kind = BoundValue::Kind::Decimal;
            b.text = d->Text();
            return b;
        }
        case AdoBinding::Text:
        case AdoBinding::Bytes:
            b.kind = binding == AdoBinding::Text ? BoundValue::Kind::Text : BoundValue::Kind::Binary;
            b.text = v.TextOr();
            return b;
        case AdoBinding::Truth: {
            auto t = v.ToTruth();
            if (!t) Refuse(p, "no es un valor de verdad");
            b.kind = BoundValue::Kind::Bool;
            b.integer = *t ? 1 : 0;
            return b;
        }
        case AdoBinding::Date:
        case AdoBinding::Time:
        case AdoBinding::Timestamp: {
            auto d = v.ToDate();
            if (!d || !d->IsValid()) Refuse(p, "no es una fecha");
            b.kind = binding == AdoBinding::Date
                         ? BoundValue::Kind::Date
                         : (binding == AdoBinding::Time ? BoundValue::Kind::Time : BoundValue::Kind::Timestamp);
            b.date = *d;
            return b;
        }
        case AdoBinding::OwnKind:
            return OwnKind(v);
        case AdoBinding::Refused:
            break;
    }
    Refuse(p, "su tipo (" + std::to_string(p.Type) + ") no puede enviarse a la base de datos");
}

}  // namespace

namespace {

// Walks sql, handing each run of text to `text` (quoted texts and comments
// whole) and each "?" mark to `mark` with the character after it.
template <typename Text, typename Mark>
void ScanMarks(const std::string& sql, Text text, Mark mark) {
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
        std::size_t end = std::string::npos;  // last character of a quoted text or comment
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            end = sql.find(c == '[' ? ']' : c, i + 1);
        } else if (c == '-' && next == '-') {
            end = sql.find('\n', i + 2);
        } else if (c == '/' && next == '*') {
            end = sql.find("*/", i + 2);
            if (end != std::string::npos) ++end;
        } else if (c == '?') {
            mark(next);
            continue;
        } else {
            text(std::string_view(sql).substr(i, 1));
            continue;
        }
        if (end == std::string::npos) end = sql.size() - 1;
        text(std::string_view(sql).substr(i, end - i + 1));
        i = end;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string ExpandParameterMarks(const std::string& sql, std::span<const std::size_t> counts) {
    std::string out;
    std::size_t mark = 0;
    ScanMarks(
        sql, [&](std::string_view t) { out += t; },
        [&](char next) {
            if (IsDigit(next)) throw DataError(msg::kListInNumberedMark);
            for (std::size_t k = 0; mark < counts.size() && k < counts[mark]; ++k) out += k ? ", ?" : "?";
            ++mark;
        });
    if (mark != counts.size()) throw DataError(msg::MarksForList(mark, counts.size()));
    return out;
}

std::optional<std::size_t> CountParameterMarks(const std::string& sql) {
    std::size_t marks = 0;
    bool numbered = false;
    ScanMarks(
        sql, [](std::string_view) {},
        [&](char next) {
            numbered = numbered || IsDigit(next);
            ++marks;
        });
    if (numbered) return std::nullopt;
    return marks;
}

Parameter::Parameter(std::string name, int typeCode, long size)
    : Name(std::move(name)), Type(typeCode), Size(size), bound_(std::make_unique<BoundValue>()) {}

Parameter::~Parameter() = default;

void Parameter::Value(const Variant& v) {
    try {
        *bound_ = Convert(*this, v);
    } catch (const DataError& e) {
        const auto text = v.Text();
        if (!text) throw;
        throw DataError(std::string(e.what()) + ": " + *text);
    }
    value_ = v;
}

void ParameterList::Append(std::shared_ptr<Parameter> p) {
    if (!p) throw DataError(msg::kNullParameter);
    items_.push_back(std::move(p));
}

void ParameterList::Set(std::size_t index, std::shared_ptr<Parameter> p) {
    if (!p) throw DataError(msg::kNullParameter);
    if (index > items_.size()) throw DataError(msg::NoParameterAt(index));
    if (index == items_.size())
        items_.push_back(std::move(p));
    else
        items_[index] = std::move(p);
}

std::shared_ptr<Parameter> ParameterList::Item(std::size_t index) const {
    if (index >= items_.size()) throw DataError(msg::NoParameterAt(index));
    return items_[index];
}

std::shared_ptr<Parameter> Command::CreateParameter(const std::string& name, int typeCode, long size) const {
    return std::make_shared<Parameter>(name, typeCode, size);
}

std::shared_ptr<Recordset> Command::Execute() {
    return Execute(nullptr);
}

std::vector<std::string> detail::Provider::ResultColumns(const std::string& sql, BoundValues params) {
    std::vector<std::string> names;
    if (const auto rows = Execute(sql, params, kDefaultRowLimit))
        for (const auto& c : rows->columns) names.push_back(c.name);
    return names;
}

void detail::Provider::ExecuteEach(std::span<const BatchRun> runs, std::size_t rowLimit, std::size_t rowCap,
                                   std::vector<std::shared_ptr<Table>>& tables) {
    std::size_t rows = 0;
    for (const BatchRun& run : runs) {
        if (rows >= rowCap) return;
        std::shared_ptr<Table> t;
        try {
            t = Execute(*run.sql, run.params, rowLimit);
        } catch (const DataError&) {
            return;
        }
        if (!t) return;
        rows += t->rows;
        tables.push_back(std::move(t));
    }
}

std::string Command::Statement(detail::Provider& provider, std::size_t count) const {
    std::string sql;
    switch (CommandType) {
        case kCommandText:
            sql = CommandText;
            break;
        case kCommandTable:
            sql = "SELECT * FROM " + provider.QuoteIdentifier(text::TrimWhite(CommandText));
            break;
        case kCommandStoredProcedure:
            sql = provider.ProcedureCall(text::TrimWhite(CommandText), count);
            break;
        default:
            throw DataError(msg::CommandTypeNotSupported(CommandType));
    }
    if (text::TrimWhite(sql).empty() || text::TrimWhite(CommandText).empty()) throw DataError(msg::kCommandTextEmpty);
    return sql;
}

namespace {

// A value as it goes to the database, for a trace.
Variant SentValue(const BoundValue& b) {
    switch (b.kind) {
        case BoundValue::Kind::Int:
            return static_cast<long long>(b.integer);
        case BoundValue::Kind::Double:
            return b.real;
        case BoundValue::Kind::Bool:
            return b.integer != 0;
        case BoundValue::Kind::Date:
        case BoundValue::Kind::Time:
        case BoundValue::Kind::Timestamp:
            return b.date;
        case BoundValue::Kind::Decimal:
            if (auto d = Decimal::Parse(b.text, '.')) return *d;
            return b.text;
        case BoundValue::Kind::Text:
        case BoundValue::Kind::Binary:
            return b.text;
        case BoundValue::Kind::Null:
            break;
    }
    return Variant::MakeNull();
}

}  // namespace

void Command::TraceSent(const Connection& cnn, const std::string& sql) const {
    if (!cnn.Trace) return;
    std::vector<std::pair<std::string, Variant>> values;
    for (const auto& p : params_.items_) values.emplace_back(p->Name, SentValue(p->Bound()));
    cnn.Trace(sql, values);
}

void Command::TraceSent(const Connection& cnn, const std::string& sql,
                        std::span<const detail::BoundValue* const> bound) const {
    std::vector<std::pair<std::string, Variant>> values;
    for (std::size_t i = 0; i < bound.size(); ++i)
        values.emplace_back(i < params_.items_.size() ? params_.items_[i]->Name : std::string(), SentValue(*bound[i]));
    cnn.Trace(sql, values);
}

void Command::ExecuteEach(std::span<const detail::BatchRun> runs, std::size_t rowCap,
                          std::vector<std::shared_ptr<Recordset>>& reuse,
                          std::vector<std::shared_ptr<Recordset>>& out) {
    if (!ActiveConnection) return;
    Connection& cnn = *ActiveConnection;
    detail::Provider* provider = nullptr;
    try {
        provider = &cnn.RequireProvider();
    } catch (const DataError&) {
        return;
    }
    // The rows the recordsets to fill let go of serve the new results' storage.
    for (const auto& rs : reuse)
        if (rs.use_count() == 1) rs->Detach();
    std::vector<std::shared_ptr<detail::Table>> tables;
    tables.reserve(runs.size());
    if (!cnn.Trace) {
        provider->ExecuteEach(runs, cnn.RowLimit, rowCap, tables);
    } else {
        // Traced, each run is handed to the trace just before it runs.
        std::size_t rows = 0;
        for (std::size_t i = 0; i < runs.size() && tables.size() == i && rows < rowCap; ++i) {
            TraceSent(cnn, *runs[i].sql, runs[i].params);
            provider->ExecuteEach(runs.subspan(i, 1), cnn.RowLimit, rowCap - rows, tables);
            if (tables.size() > i) rows += tables.back()->rows;
        }
    }
    for (auto& t : tables) {
        std::shared_ptr<Recordset> rs;
        while (!reuse.empty() && !rs) {
            if (reuse.back().use_count() == 1) rs = std::move(reuse.back());
            reuse.pop_back();
        }
        if (rs)
            rs->Reopen(std::move(t));
        else
            rs = std::make_shared<Recordset>(std::move(t));
        out.push_back(std::move(rs));
    }
}

std::shared_ptr<Recordset> Command::Execute(std::shared_ptr<Recordset> reuse) {
    if (reuse && reuse.use_count() == 1)
        reuse->Detach();  // its old rows can serve the new result's storage
    else
        reuse.reset();
    if (!ActiveConnection) throw DataError(msg::kNoActiveConnection);
    Connection& cnn = *ActiveConnection;
    detail::Provider& provider = cnn.RequireProvider();
    std::optional<std::chrono::steady_clock::time_point> start;  // of the provider's run, once it began
    try {
        // The values are passed where the parameters keep them; a command
        // with few parameters (nearly all) needs no list of its own.
        constexpr std::size_t kFewParameters = 8;
        std::array<const BoundValue*, kFewParameters> few;
        std::vector<const BoundValue*> many;
        const std::size_t count = params_.items_.size();
        if (count > kFewParameters) many.resize(count);
        const std::span<const BoundValue*> values = count > kFewParameters
                                                        ? std::span<const BoundValue*>(many)
                                                        : std::span<const BoundValue*>(few.data(), count);
        for (std::size_t i = 0; i < count; ++i) values[i] = &params_.items_[i]->Bound();
        // A text command runs CommandText itself, not a copy.
        std::string sql;
        if (CommandType != kCommandText || text::TrimWhite(CommandText).empty()) sql = Statement(provider, count);
        const std::string& run = CommandType == kCommandText ? CommandText : sql;
        TraceSent(cnn, run);
        start = std::chrono::steady_clock::now();
        std::shared_ptr<detail::Table> rows = provider.Execute(run, values, cnn.RowLimit);
        if (!reuse) return std::make_shared<Recordset>(std::move(rows));
        reuse->Reopen(std::move(rows));
        return reuse;
    } catch (const detail::FailedStep& e) {
        // The connection keeps the text; the step goes on with it.
        try {
            cnn.Fail(e.what(), start);
        } catch (const DataError& kept) {
            throw detail::FailedStep(e.step, kept.what());
        }
    } catch (const DataError& e) {
        cnn.Fail(e.what(), start);
    }
}

std::vector<std::string> Command::Describe() {
    if (!ActiveConnection) throw DataError(msg::kNoActiveConnection);
    Connection& cnn = *ActiveConnection;
    detail::Provider& provider = cnn.RequireProvider();
    std::optional<std::chrono::steady_clock::time_point> start;
    try {
        std::vector<const BoundValue*> values;
        for (const auto& p : params_.items_) values.push_back(&p->Bound());
        const std::string sql = Statement(provider, values.size());
        start = std::chrono::steady_clock::now();
        return provider.ResultColumns(sql, values);
    } catch (const DataError& e) {
        cnn.Fail(e.what(), start);
    }
}

}  // namespace orvane::data
