// Command execution and the conversion of parameter values by type code.
#include "data/ado/Command.h"

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "data/ParameterTypes.h"
#include "platform/NumberFormat.h"
#include "platform/Text.h"

namespace orvane::data {
namespace {

using detail::BoundValue;

[[noreturn]] void Refuse(const Parameter& p, const std::string& why) {
    throw DataError("Parameter " + p.Name + " (type " + std::to_string(p.Type) + "): " + why);
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
            Refuse(p, "the value is out of range");
        return b;
    }
    const std::optional<double> n = NumberOf(v);
    if (!n) Refuse(p, "the value is not a number");
    const double rounded = std::nearbyint(*n);
    if (!(rounded >= row.Low && rounded <= row.High)) Refuse(p, "the value is out of range");
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
    if (v.kind() == Variant::Kind::Object) Refuse(p, "an object cannot be sent to the database");
    const AdoTypeRow* row = FindAdoTypeCode(p.Type);
    const AdoBinding binding = row ? row->Binding : AdoBinding::Refused;
    switch (binding) {
        case AdoBinding::Whole:
            return Whole(p, v, *row);
        case AdoBinding::Real: {
            auto n = NumberOf(v);
            if (!n || !std::isfinite(*n)) Refuse(p, "the value is not a number");
            b.kind = BoundValue::Kind::Double;
            b.real = *n;
            return b;
        }
        case AdoBinding::Exact: {
            const auto d = ExactOf(v);
            if (!d) Refuse(p, "the value is not a number");
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
            if (!t) Refuse(p, "the value is not a truth value");
            b.kind = BoundValue::Kind::Bool;
            b.integer = *t ? 1 : 0;
            return b;
        }
        case AdoBinding::Date:
        case AdoBinding::Time:
        case AdoBinding::Timestamp: {
            auto d = v.ToDate();
            if (!d || !d->IsValid()) Refuse(p, "the value is not a date");
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
    Refuse(p, "this type cannot be sent to the database");
}

}  // namespace

std::string ExpandParameterMarks(const std::string& sql, std::span<const std::size_t> counts) {
    std::string out;
    std::size_t mark = 0;
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
            if (next >= '0' && next <= '9') throw DataError("A list of values cannot take a numbered mark (?N)");
            for (std::size_t k = 0; mark < counts.size() && k < counts[mark]; ++k) out += k ? ", ?" : "?";
            ++mark;
            continue;
        } else {
            out += c;
            continue;
        }
        if (end == std::string::npos) end = sql.size() - 1;
        out.append(sql, i, end - i + 1);
        i = end;
    }
    if (mark != counts.size())
        throw DataError("The command has " + std::to_string(mark) + " parameter marks for " +
                        std::to_string(counts.size()) + " parameters, one of them a list of values");
    return out;
}

void Parameter::Value(const Variant& v) {
    try {
        bound_ = Convert(*this, v);
    } catch (const DataError& e) {
        const auto text = v.Text();
        if (!text) throw;
        throw DataError(std::string(e.what()) + ": \"" + *text + "\"");
    }
    value_ = v;
}

void ParameterList::Append(std::shared_ptr<Parameter> p) {
    if (!p) throw DataError("Cannot append a null parameter");
    items_.push_back(std::move(p));
}

void ParameterList::Set(std::size_t index, std::shared_ptr<Parameter> p) {
    if (!p) throw DataError("Cannot set a null parameter");
    if (index > items_.size()) throw DataError("No parameter at position " + std::to_string(index));
    if (index == items_.size())
        items_.push_back(std::move(p));
    else
        items_[index] = std::move(p);
}

std::shared_ptr<Parameter> ParameterList::Item(std::size_t index) const {
    if (index >= items_.size()) throw DataError("No parameter at position " + std::to_string(index));
    return items_[index];
}

std::shared_ptr<Parameter> Command::CreateParameter(const std::string& name, int typeCode, long size) const {
    return std::make_shared<Parameter>(name, typeCode, size);
}

std::shared_ptr<Recordset> Command::Execute() {
    return Execute(nullptr);
}

std::shared_ptr<Recordset> Command::Execute(std::shared_ptr<Recordset> reuse) {
    if (reuse && reuse.use_count() == 1)
        reuse->Detach();  // its old rows can serve the new result's storage
    else
        reuse.reset();
    if (!ActiveConnection) throw DataError("The command has no active connection");
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
        std::string sql;
        switch (CommandType) {
            case kCommandText:
                break;  // CommandText itself, not copied
            case kCommandTable:
                sql = "SELECT * FROM " + provider.QuoteIdentifier(text::TrimWhite(CommandText));
                break;
            case kCommandStoredProcedure:
                sql = provider.ProcedureCall(text::TrimWhite(CommandText), values.size());
                break;
            default:
                throw DataError("Command type " + std::to_string(CommandType) + " is not supported (1, 2 or 4)");
        }
        const std::string& run = CommandType == kCommandText ? CommandText : sql;
        if (text::TrimWhite(run).empty() || text::TrimWhite(CommandText).empty())
            throw DataError("The command text is empty");
        start = std::chrono::steady_clock::now();
        std::shared_ptr<detail::Table> rows = provider.Execute(run, values, cnn.RowLimit);
        if (!reuse) return std::make_shared<Recordset>(std::move(rows));
        reuse->Reopen(std::move(rows));
        return reuse;
    } catch (const DataError& e) {
        cnn.Fail(e.what(), start);
    }
}

}  // namespace orvane::data
