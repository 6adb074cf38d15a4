// The renderings of a parameter's value as a literal: for SQL text (used
// when macros are replaced in queries) and for the host's script language.
// The type table's category of the parameter's type decides the form; date
// and time values are written by the parameter's own format when it has one.
#include <cmath>
#include <optional>

#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

// The value's text as string concatenation sees it: Null adds nothing. nullopt
// for a value without a text form (an object).
std::optional<std::string> ConcatText(const Variant& v) {
    if (v.IsNull()) return std::string();
    return v.Text();
}

// Default format of a date/time type. The name is compared ignoring case but
// not trimmed, so " adDate" is not "adDate" here although its category is
// date/time. nullptr for every other date/time type.
const char* NamedDateFormat(const std::string& type) {
    if (text::EqualsIgnoreCase(type, "strDateTime")) return "yyyymmdd hh:mm:ss";
    if (text::EqualsIgnoreCase(type, "adDate") || text::EqualsIgnoreCase(type, "adDBTimeStamp"))
        return "yyyy-mm-dd hh:mm:ss";
    if (text::EqualsIgnoreCase(type, "adDBTime")) return "hh:mm:ss";
    return nullptr;
}

constexpr const char* kPlainDateFormat = "yyyy-mm-dd";

// A date, or a value that reads as one (a date text, a serial number),
// formatted; any other value stays its text, as formatting does not apply to
// it. nullopt when the value has no text form.
std::optional<std::string> DateText(const Variant& v, const std::string& format) {
    if (auto d = v.ToDate()) return FormatDateTime(*d, format);
    return ConcatText(v);
}

// Longest leading number of the value's text, written back in the locale's
// shortest form. A text without a leading number is 0, and so is a value
// without a text form. nullopt when the number overflows.
// A value that already is a number is taken as it is: going through its text
// would lose the fraction under a comma-decimal locale ("1,5" reads as 1).
std::optional<std::string> SqlNumber(const Variant& v) {
    // Whole numbers below 10^15 are exact as doubles and the shortest form
    // of 15 digits writes them plainly: their own digits, with no separator.
    constexpr std::int64_t kPlainLimit = 1'000'000'000'000'000;
    double n = 0.0;
    if (auto i = v.AsInt()) {
        if (*i > -kPlainLimit && *i < kPlainLimit) return std::to_string(*i);
        n = static_cast<double>(*i);
    } else if (auto d = v.AsDouble()) {
        n = *d;
    } else if (auto exact = v.AsDecimal()) {
        return exact->Text(platform::DecimalSeparator());  // every digit: it is the database's value
    } else {
        const auto t = v.Text();
        if (!t) return std::string("0");
        n = platform::LeadingNumber(*t).value_or(0.0);
    }
    if (!std::isfinite(n)) return std::nullopt;
    if (n == 0.0) n = 0.0;  // "-0" is written as 0
    return platform::FormatDouble(n);
}

std::string Quoted(const std::string& s, char quote) {
    return quote + s + quote;
}

// A text in quotes. A single value keeps its quotes as they are (a report
// may rely on that); an item of a list, which is ours, always becomes a valid
// literal: 'O''Brien'.
std::string SqlText(const std::string& t, bool listItem) {
    return Quoted(listItem ? text::ReplaceAll(t, "'", "''") : t, '\'');
}

std::string SqlExpression(const eParameter& p, const Variant& value, bool listItem = false) {
    switch (AdoTypeCategory(p.eType())) {
        case kCategoryNumber:
            return SqlNumber(value).value_or("");
        case kCategoryText: {
            const auto t = ConcatText(value);
            return t ? SqlText(*t, listItem) : std::string();
        }
        case kCategoryTruth:
            return value.ToTruth().value_or(true) ? "-1" : "0";
        case kCategoryDateTime: {
            const char* named = NamedDateFormat(p.eType());
            const auto t = DateText(value, p.SelectDTF(named ? named : kPlainDateFormat));
            return t ? SqlText(*t, listItem) : std::string();
        }
        default:
            return {};
    }
}

[[noreturn]] void Fail(const eParameter& p) {
    std::string shown = p.Value.IsNull() ? "Null" : p.Value.Text().value_or("(objeto)");
    throw ConversionError(data::msg::ValueNotConverted(shown, p.Name, p.eType()));
}

template <typename T>
T OrFail(const std::optional<T>& v, const eParameter& p) {
    if (!v) Fail(p);
    return *v;
}

}  // namespace

std::string eParameter::SelectDTF(const std::string& F) const {
    return text::TrimBlanks(DTFormat).empty() ? F : DTFormat;
}

std::string eParameter::SQLExpresion() const {
    try {
        if (!Values) return SqlExpression(*this, Value);
        // An empty list renders as NULL: "IN (NULL)" is valid SQL and matches no row, where "IN ()" is an error.
        if (Values->empty()) return "NULL";
        std::string out;
        for (std::size_t i = 0; i < Values->size(); ++i) {
            const std::string one = SqlExpression(*this, (*Values)[i], true);
            if (one.empty()) return {};  // never a shorter list than the one given
            out += (i ? ", " : "") + one;
        }
        return out;
    } catch (...) {
        return {};
    }
}

std::string eParameter::VBExpresion() const {
    switch (AdoTypeCategory(eType())) {
        case kCategoryNumber:
            return OrFail(Value.Text(), *this);
        case kCategoryText:
            return Quoted(OrFail(ConcatText(Value), *this), '"');
        case kCategoryTruth:
            return OrFail(Value.ToTruth(), *this) ? "TRUE" : "FALSE";
        case kCategoryDateTime: {
            // Script literals keep the named types' formats but ignore DTFormat for the others.
            const char* named = NamedDateFormat(eType());
            const std::string format = named ? SelectDTF(named) : kPlainDateFormat;
            return Quoted(OrFail(DateText(Value, format), *this), '"');
        }
        default:
            return {};
    }
}

}  // namespace orvane
