// Record sources at run time: opening the query with its parameters, the
// run-time filter and sort, and the re-opening of the children from the
// current record.
#include <algorithm>
#include <exception>
#include <limits>
#include <string_view>
#include <vector>

#include "data/ParameterTypes.h"
#include "data/ado/Command.h"
#include "data/ado/Recordset.h"
#include "model/Orvane.h"
#include "platform/DateTime.h"
#include "platform/Text.h"

namespace orvane {
namespace {

// Nesting of OpenRecordsource calls on this thread. Children open inside
// their parent's open, so a tree deeper than the definition XML can hold (or
// a record source made its own descendant by a host) stops here instead of
// exhausting the stack.
thread_local int t_openDepth = 0;

class DepthGuard {
public:
    DepthGuard() { ++t_openDepth; }
    ~DepthGuard() { --t_openDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return t_openDepth > kMaxRecordSourceDepth; }
};

// Sets the command type written as decimal text (an optional sign, then
// digits); blank text keeps the command's default. False when the text is
// not such a number or does not fit an int. Read by hand: it runs for every
// query of a walk.
bool SetCommandType(data::Command& command, const std::string& stored) {
    const std::string_view t = text::TrimBlanks(stored);
    if (t.empty()) return true;
    std::size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
    const bool negative = t[0] == '-';
    if (i == t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    command.CommandType = static_cast<int>(v);
    return true;
}

// Length of a text in characters (code points), as the declared size of a
// text parameter.
long CharacterCount(const std::string& s) {
    return static_cast<long>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The value a parameter of a type (row, null when not in the table) is bound
// with: strDateTime sends its date as text in SelectDTF("yyyymmdd"); a text
// that reads as no date is sent as it is.
Variant BoundValueOf(const eParameter& p, const Variant& value, const AdoTypeRow* row) {
    if (!row || row->Category != kCategoryDateTime || !text::EqualsIgnoreCase(row->Name, "strDateTime")) return value;
    if (const auto d = value.ToDate()) return FormatDateTime(*d, p.SelectDTF("yyyymmdd"));
    return value;
}

}  // namespace

std::shared_ptr<Orvane> eRSource::Report() const {
    const auto cnn = eCnn.lock();
    return cnn ? cnn->RPTParent.lock() : nullptr;
}

std::string eRSource::BindParameters(data::Command& command, const Orvane* rpt) const {
    std::string leftOut;
    if (!rpt) return leftOut;
    // The "?" each bound parameter takes, in order; kept only once a list
    // comes, so the common open allocates nothing for it.
    std::vector<std::size_t> marks;
    std::size_t bound = 0;
    bool lists = false;
    std::string_view rest = SendParameters;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string piece(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (text::TrimBlanks(piece).empty()) continue;
        const eParameter* p = rpt->FindParameter(piece);
        if (!p) continue;
        try {
            const AdoTypeRow* row = FindAdoType(p->eType());
            const std::int16_t code = row ? row->Code : AdoTypeCode(p->eType());
            const bool sized = (row ? row->Category : AdoTypeCategory(p->eType())) == kCategoryText ||
                               code == AdoCode(AdoType::VarChar);
            const auto make = [&](const Variant& value) {
                // The size is that of the value's own text, even for
                // strDateTime, whose formatted text may be longer.
                const long size = sized ? std::max(1L, CharacterCount(value.TextOr())) : 0;
                auto param = command.CreateParameter(p->Name, code, size);
                param->Value(BoundValueOf(*p, value, row));
                return param;
            };
            if (!p->Values) {
                command.Parameters().Append(make(p->Value));
                if (lists) marks.push_back(1);
                ++bound;
                continue;
            }
            // A list binds one parameter per value, all converted before any
            // is appended: it is bound whole or left out. An empty list binds
            // one NULL, so that "IN (?)" matches no row instead of "IN ()"
            // being a syntax error.
            std::vector<std::shared_ptr<data::Parameter>> made;
            for (const auto& value : *p->Values) made.push_back(make(value));
            if (made.empty()) made.push_back(make(Variant::MakeNull()));
            for (auto& param : made) command.Parameters().Append(std::move(param));
            if (!lists) marks.assign(bound, 1);
            marks.push_back(made.size());
            ++bound;
            lists = true;
        } catch (const std::exception& e) {
            // This parameter is left out; the next is tried.
            leftOut += std::string(leftOut.empty() ? "" : "; ") + e.what();
        } catch (...) {
        }
    }
    // A stored procedure's call takes one mark per parameter already.
    if (!lists || command.CommandType != data::kCommandText) return leftOut;
    try {
        command.CommandText = data::ExpandParameterMarks(command.CommandText, marks);
    } catch (const data::DataError& e) {
        throw data::DataError(std::string(e.what()) +
                              (leftOut.empty() ? "" : " (parameters left out: " + leftOut + ")"));
    }
    return leftOut;
}

bool eRSource::OpenRecordsource() {
    // The recordset of the last open serves the new one when nobody else
    // holds it (a child re-opened for each parent record).
    std::shared_ptr<data::Recordset> previous = std::move(ADORecordset);
    ADORecordset = nullptr;
    LastOpenError.clear();
    DepthGuard depth;
    const auto cnn = eCnn.lock();
    std::string leftOut;
    try {
        if (depth.TooDeep()) throw data::DataError("record sources nested too deep");
        if (!cnn || !cnn->ADOCnn || cnn->ADOCnn->State() != 1) throw data::DataError("the connection is not open");
        data::Command command;
        command.CommandText = ReplaceMacros(SQLCommand);
        command.ActiveConnection = cnn->ADOCnn;
        if (!SetCommandType(command, TypeofCommand))
            throw data::DataError("the command type \"" + TypeofCommand + "\" is not a number");
        const auto rpt = cnn->RPTParent.lock();
        leftOut = BindParameters(command, rpt.get());
        ADORecordset = command.Execute(std::move(previous));
        if (!ADORecordset || ADORecordset->State() != 1) {
            ADORecordset = nullptr;
            throw data::DataError("the command returned no records");
        }
    } catch (const std::exception& e) {
        LastOpenError = e.what();
        if (!leftOut.empty()) LastOpenError += " (parameters left out: " + leftOut + ")";
        return false;
    }
    // A fresh recordset has no filter or sort and stands on its first row,
    // which is all an empty filter or sort would do.
    if (!RTFilter.empty()) ApplyFilter();
    if (!RTOrder.empty()) ApplySort();
    return RefreshChilds();
}

bool eRSource::ApplyFilter() {
    try {
        if (!ADORecordset) return false;
        ADORecordset->Filter(ReplaceMacros(RTFilter));
        return true;
    } catch (...) {
        return false;
    }
}

Variant eRSource::ApplySort() {
    try {
        if (!ADORecordset) return false;
        ADORecordset->Sort(ReplaceMacros(RTOrder));
        return true;
    } catch (...) {
        return false;
    }
}

bool eRSource::RefreshChilds() {
    bool result = true;
    LastOpenError.clear();
    if (!text::TrimBlanks(eFieldNametoParameters).empty() && !text::TrimBlanks(idParameterLinked).empty()) {
        const auto rpt = Report();
        eParameter* const linked = rpt ? rpt->FindParameter(idParameterLinked) : nullptr;
        try {
            if (linked && ADORecordset) {
                linked->Value = ADORecordset->Fields()(eFieldNametoParameters).Value();
                linked->Values.reset();  // the current record's one value
            }
        } catch (...) {
            // No current record or no such field: the parameter keeps its value.
        }
    }
    if (!eRSources) return result;
    for (const auto& child : *eRSources) {
        if (!child) continue;
        child->RTFilter = child->Filter;
        child->RTOrder = child->Order;
        result = child->OpenRecordsource();
        LastOpenError = result ? "" : "record source \"" + child->Name + "\": " + child->LastOpenError;
    }
    return result;
}

}  // namespace orvane
