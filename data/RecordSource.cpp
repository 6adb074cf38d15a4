// Record sources at run time: opening the query with its parameters, the
// run-time filter and sort, and the re-opening of the children from the
// current record.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <exception>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include <orvanespt/data/ChangingFunctions.h>
#include <orvanespt/data/Macros.h>
#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/MacroNames.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Text.h>

namespace orvane {

namespace msg = data::msg;
namespace {

// Nesting of OpenRecordsource calls on this thread. Children open inside
// their parent's open, so a tree deeper than the definition XML can hold (or
// a record source made its own descendant by a host) stops here instead of
// exhausting the stack.
thread_local int t_openDepth = 0;

// Each look at a thread's variable from a shared library is a call, which
// the compiler repeats at every use of an inlined one: one call here.
[[gnu::noinline]] int& OpenDepth() {
    return t_openDepth;
}

class DepthGuard {
public:
    DepthGuard() : depth_(OpenDepth()) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool TooDeep() const { return depth_ > kMaxRecordSourceDepth; }

private:
    int& depth_;
};

// The command type written as decimal text: an optional sign and digits,
// perhaps with a fraction of zeros ("1.0"), blanks around; blank text is SQL
// text. Raises DataError when the text is no such number, is not whole or
// does not fit an int. Read by hand: it runs for every query of a walk.
int CommandTypeOf(const std::string& stored) {
    const std::string_view t = text::TrimWhite(stored);
    if (t.empty()) return data::kCommandText;
    std::size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
    const bool negative = t[0] == '-';
    const std::size_t digits = i;
    long long v = 0;
    bool fits = true;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) {
            fits = false;
            v = 0;
        }
    }
    bool whole = true;
    if (i > digits && i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) whole = whole && t[i] == '0';
    if (i == digits || i != t.size() || !fits) throw data::DataError(msg::CommandTypeNotNumber(stored));
    if (!whole) throw data::DataError(msg::CommandTypeNotWhole(stored));
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        throw data::DataError(msg::CommandTypeNotNumber(stored));
    return static_cast<int>(v);
}

// Whether a command of a type, on a text with its macros replaced, gives the
// same rows when run again on an unchanged database. What a stored
// procedure runs is not seen.
bool RunsAlike(int type, std::string_view text) {
    return type != data::kCommandStoredProcedure && data::ChangingFunction(text).empty();
}

// Length of a text in characters (code points), as the declared size of a
// text parameter.
long CharacterCount(const std::string& s) {
    return static_cast<long>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The value a parameter of a type (row, null when not in the table) is bound
// with: strDateTime sends its date as text in SelectDTF("yyyymmdd"). A text
// that reads as no date is refused rather than sent as text; blank text and
// values without a text form go as they are.
Variant BoundValueOf(const eParameter& p, const Variant& value, const AdoTypeRow* row) {
    if (!row || row->Category != kCategoryDateTime || !text::EqualsIgnoreCase(row->Name, "strDateTime")) return value;
    if (const auto d = value.ToDate(); d && d->IsValid()) return FormatDateTime(*d, p.SelectDTF("yyyymmdd"));
    const auto shown = value.Text();
    if (!shown || text::TrimBlanks(*shown).empty()) return value;
    throw data::DataError(msg::NotADate(p.Name, *shown));
}

// Why an open failed: the parameters left out first, since the provider's
// text then only says their marks went unpaired; then the macros that
// named no parameter and stayed in the text.
std::string OpenFailure(const std::string& why, const std::string& leftOut, const std::vector<std::string>& macros) {
    std::string out = leftOut.empty() ? why : msg::QueryFailedLeavingOut(leftOut, why);
    for (const auto& token : macros) out += "; " + msg::UnknownMacro(token);
    return out;
}

// Sets a filter or a sort (what: msg::kTheFilter or msg::kTheSort; text: as
// the host set it) on the open rows; error says why it could not.
template <typename Set>
bool SetOnRows(data::Recordset* rows, Set set, const char* what, const std::string& text, std::string& error) {
    error.clear();
    try {
        if (!rows) throw data::DataError(msg::kSourceNotOpen);
        set(*rows);
        return true;
    } catch (const std::exception& e) {
        error = msg::SetFailed(what, text, e.what());
    } catch (...) {
        error = msg::NotApplied(what, text);
    }
    return false;
}

// Whether two values bind alike: of one kind and equal, doubles to the bit
// (0.0 and -0.0 differ, a NaN matches itself).
bool SameValue(const Variant& a, const Variant& b) {
    if (a.kind() == Variant::Kind::Double && b.kind() == Variant::Kind::Double)
        return std::bit_cast<std::uint64_t>(*a.AsDouble()) == std::bit_cast<std::uint64_t>(*b.AsDouble());
    return a == b;
}

// Reading ahead: at most this many queries at once, this many rows in all,
// and this many parent records looked at for the next distinct link values.
constexpr std::size_t kAheadQueries = 256;
constexpr std::size_t kAheadRows = 20'000;
constexpr std::size_t kAheadScan = 4'096;

}  // namespace

std::shared_ptr<Orvane> eRSource::Report() const {
    const auto cnn = eCnn.lock();
    return cnn ? cnn->RPTParent.lock() : nullptr;
}

struct eRSource::Kept {
    data::Command command;
    std::string text;                      // SQLCommand with its macros replaced, before lists widen its marks
    std::weak_ptr<data::Recordset> rows;   // the recordset that open gave
    const data::Connection* on = nullptr;  // the connection it ran on
    std::size_t rowLimit = 0;              // on's RowLimit then: a lower one may refuse the rows
    std::uint64_t state = 0;               // on's ReadState then; 0 when the rows are not to be kept
    int alike = -1;                        // RunsAlike of the command and text; -1 not yet known

    // Rows read ahead for the parent's next link values (ReadAhead), in the
    // order the parent's records come; served only while the query matches
    // the front entry exactly and the database is still at aheadState. The
    // texts and values sent are kept in two stores reused batch after batch,
    // so that reading ahead allocates nothing per query.
    class AheadQueue {
    public:
        bool Empty() const { return next_ == entries_.size(); }
        void Clear() {
            entries_.clear();
            next_ = 0;
            texts_.clear();
            params_.clear();
        }
        // Whether the command as bound now sends what the front entry sent;
        // false when what it sent was not kept.
        bool FrontSends(data::Command& command) const {
            const Entry& e = entries_[next_];
            if (e.type == kNotKept || e.type != command.CommandType ||
                std::string_view(texts_).substr(e.textAt, e.textSize) != command.CommandText)
                return false;
            const data::ParameterList& list = command.Parameters();
            if (list.Count() != e.paramCount) return false;
            for (std::size_t i = 0; i < e.paramCount; ++i) {
                const data::Parameter* p = list.At(i);
                const auto& [type, value] = params_[e.paramAt + i];
                if (p->Type != type || !SameValue(p->Value(), value)) return false;
            }
            return true;
        }
        // The link value the front entry was read with.
        const Variant& FrontLink() const { return entries_[next_].link; }
        std::shared_ptr<data::Recordset> PopFront() {
            auto rows = std::move(entries_[next_++].rows);
            if (Empty()) Clear();
            return rows;
        }
        // Adds the query the command now sends for link, its rows to come
        // (Fill); what it sends is kept when keepSent, for FrontSends (a
        // batch served by its inputs needs none).
        void Push(data::Command& command, const Variant& link, bool keepSent) {
            if (!keepSent) {
                entries_.push_back(Entry{0, 0, 0, 0, kNotKept, nullptr, link});
                return;
            }
            Entry e{0, command.CommandText.size(), params_.size(), command.Parameters().Count(), command.CommandType,
                    nullptr, link};
            // A bound query sends one text for every record: stored once.
            const Entry* last = entries_.empty() ? nullptr : &entries_.back();
            if (last && std::string_view(texts_).substr(last->textAt, last->textSize) == command.CommandText) {
                e.textAt = last->textAt;
            } else {
                e.textAt = texts_.size();
                texts_ += command.CommandText;
            }
            const data::ParameterList& list = command.Parameters();
            for (std::size_t i = 0; i < list.Count(); ++i) params_.emplace_back(list.At(i)->Type, list.At(i)->Value());
            entries_.push_back(std::move(e));
        }
        // Gives the queries pushed their rows, in order; those left without
        // (they did not run) are dropped.
        void Fill(std::vector<std::shared_ptr<data::Recordset>>& rows) {
            const std::size_t n = std::min(rows.size(), entries_.size());
            for (std::size_t i = 0; i < n; ++i) entries_[i].rows = std::move(rows[i]);
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(n), entries_.end());
        }

    private:
        static constexpr int kNotKept = -1;  // an entry's type when what it sent was not kept
        struct Entry {
            std::size_t textAt, textSize;    // the command text sent, in texts_
            std::size_t paramAt, paramCount;  // each bound parameter's type and value, in params_
            int type;
            std::shared_ptr<data::Recordset> rows;
            Variant link;
        };
        std::vector<Entry> entries_;
        std::size_t next_ = 0;  // the front entry; those before it were served
        std::string texts_;
        std::vector<std::pair<int, Variant>> params_;
    };
    // What the queries read ahead were made from besides the link value:
    // the texts, and every parameter their macros and SendParameters name,
    // as each was then. The same inputs make the same query, so the front
    // entry is served on comparing these, without replacing macros and
    // binding again. Not usable when a system macro (the clock, the user)
    // is in the text.
    struct AheadInputs {
        struct Named {
            std::string name;               // as the text or SendParameters gives it
            const eParameter* p = nullptr;  // what it named then; null for none
            // Everything of p that its macro or its binding reads.
            std::string pName, dtFormat, type;
            Variant value;
            std::optional<std::vector<Variant>> values;
        };
        bool usable = false;
        const Orvane* report = nullptr;
        const eParameter* linked = nullptr;  // compared, never followed: it may be gone
        std::string sql, commandType, send;
        std::vector<Named> named;

        void Take(const eRSource& rs, const Orvane* rpt, const eParameter& link) {
            report = rpt;
            linked = &link;
            sql = rs.SQLCommand;
            commandType = rs.TypeofCommand;
            send = rs.SendParameters;
            std::vector<std::string> names;
            usable = rpt && data::detail::MacroParameterNames(sql, names);
            if (!usable) return;
            std::string_view rest = send;
            while (!rest.empty()) {
                const std::size_t comma = rest.find(',');
                names.emplace_back(rest.substr(0, comma));
                rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            }
            for (auto& name : names) {
                Named n;
                n.name = std::move(name);
                if ((n.p = rpt->FindParameter(n.name))) {
                    n.pName = n.p->Name;
                    n.dtFormat = n.p->DTFormat;
                    n.type = n.p->eType();
                    n.value = n.p->Value;
                    n.values = n.p->Values;
                }
                named.push_back(std::move(n));
            }
            // The link first: a record that does not repeat it fails there.
            std::stable_partition(named.begin(), named.end(), [&](const Named& n) { return n.p == linked; });
        }
        // Whether rs, with the link at value, is made from what was taken.
        bool Same(const eRSource& rs, const Orvane* rpt, const Variant& value) const {
            if (!usable || rpt != report) return false;
            for (const Named& n : named) {
                const eParameter* p = rpt->FindParameter(n.name);
                if (p != n.p) return false;
                if (!p) continue;
                if (p == linked) {
                    if (p->Values || !SameValue(p->Value, value)) return false;
                } else if (!SameValue(p->Value, n.value) || !SameValues(p->Values, n.values)) {
                    return false;
                }
                if (p->Name != n.pName || p->DTFormat != n.dtFormat || p->eType() != n.type) return false;
            }
            return rs.SQLCommand == sql && rs.TypeofCommand == commandType && rs.SendParameters == send;
        }
        static bool SameValues(const std::optional<std::vector<Variant>>& a,
                               const std::optional<std::vector<Variant>>& b) {
            if (!a || !b) return !a && !b;
            return std::equal(a->begin(), a->end(), b->begin(), b->end(), SameValue);
        }
    };
    AheadQueue ahead;
    std::shared_ptr<const AheadInputs> aheadInputs;  // of the batch in ahead
    // The inputs and link value of the rows served last from ahead, while
    // they are the rows held: a link that repeats keeps them on comparing.
    std::shared_ptr<const AheadInputs> servedInputs;
    Variant servedLink;
    std::uint64_t aheadState = 0;
    const data::Connection* aheadOn = nullptr;
    std::size_t aheadRowLimit = 0;
    std::size_t aheadSize = 2;  // queries of the next read ahead; doubles while every one is served
    int aheadPause = 0;         // reads ahead to skip after a batch was thrown away
    data::Command aheadCommand;
    std::string aheadAlikeText;  // the last text read ahead, which runs alike (a bound query's never changes)
    // Recordsets the walk has let go of, for the next reads ahead to fill:
    // as a re-query fills the one it replaces, which spares allocations.
    std::vector<std::shared_ptr<data::Recordset>> spare;
    // A batch read ahead as it is sent: each query's text (when macros make
    // them differ) and values, where batch after batch reuses the room.
    struct Batch {
        std::vector<std::string> texts;
        std::vector<data::detail::BoundValue> values;
        std::vector<std::size_t> valuesAt;  // each query's first value; one more for the end
        std::vector<const data::detail::BoundValue*> pointers;
        std::vector<data::detail::BatchRun> runs;
        std::vector<std::shared_ptr<data::Recordset>> got;
    } batch;

    // Drops what was read ahead; when some of it was never served, the next
    // reads ahead start small and after a pause, so that a database written
    // at every step costs few wasted queries.
    void DropAhead() {
        if (ahead.Empty()) return;
        ahead.Clear();
        aheadSize = 1;
        aheadPause = 8;
    }
};

// Made and destroyed here, where Kept is complete.
eRSource::eRSource() : eRSources(std::make_shared<Collection<eRSource>>()) {}
eRSource::~eRSource() = default;

namespace {

// How a parameter's type binds: its row in the type table (null when not
// there), the ADO code and whether the parameter is sized by its text.
struct Binding {
    const AdoTypeRow* row;
    std::int16_t code;
    bool sized;
};

Binding BindingOf(const eParameter& p) {
    const AdoTypeRow* row = FindAdoType(p.eType());
    const std::int16_t code = row ? row->Code : AdoTypeCode(p.eType());
    return {row, code,
            (row ? row->Category : AdoTypeCategory(p.eType())) == kCategoryText ||
                code == AdoCode(AdoType::VarChar)};
}

// Gives the command's parameter at position `at` p's value `given`, reusing
// the one there when it has this name and type: its value is converted again
// only when it differs. Clears same when anything changed.
void Give(data::Command& command, std::size_t at, const eParameter& p, const Binding& b, const Variant& given,
          bool& same) {
    data::ParameterList& list = command.Parameters();
    const Variant value = BoundValueOf(p, given, b.row);
    // The size is that of the value's own text, even for strDateTime, whose
    // formatted text may be longer.
    const long size = b.sized ? std::max(1L, CharacterCount(given.TextOr())) : 0;
    data::Parameter* old = list.At(at);
    if (old && old->Type == b.code && old->Name == p.Name) {
        if (!SameValue(old->Value(), value)) {
            same = false;
            old->Value(value);
        }
        old->Size = size;
        return;
    }
    same = false;
    auto made = command.CreateParameter(p.Name, b.code, size);
    made->Value(value);
    list.Set(at, std::move(made));
}

}  // namespace

std::string eRSource::BindParameters(data::Command& command, const Orvane* rpt, bool& same) const {
    return BindParameters(command, rpt, same, nullptr, nullptr);
}

std::string eRSource::BindParameters(data::Command& command, const Orvane* rpt, bool& same, const eParameter* link,
                                     std::vector<std::size_t>* linkAt) const {
    std::string leftOut;
    data::ParameterList& list = command.Parameters();
    const std::size_t before = list.Count();
    std::size_t bound = 0;  // parameters given to the command
    // The "?" each SendParameters name takes, in order; kept only once a
    // list comes, so the common open allocates nothing for it.
    std::vector<std::size_t> marks;
    std::size_t names = 0;
    bool lists = false;
    std::string_view rest = SendParameters;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string piece(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (!rpt || text::TrimBlanks(piece).empty()) continue;
        const eParameter* p = rpt->FindParameter(piece);
        if (!p) continue;
        try {
            const Binding binding = BindingOf(*p);
            const auto give = [&](std::size_t at, const Variant& given) {
                Give(command, at, *p, binding, given, same);
                if (p == link && linkAt) linkAt->push_back(at);
            };
            if (!p->Values) {
                give(bound, p->Value);
                ++bound;
                if (lists) marks.push_back(1);
                ++names;
                continue;
            }
            // A list binds one parameter per value, all converted before any
            // counts: it is bound whole or left out. An empty list binds one
            // NULL, so that "IN (?)" matches no row instead of "IN ()" being
            // a syntax error.
            std::size_t count = 0;
            for (const auto& value : *p->Values) give(bound + count++, value);
            if (count == 0) give(bound + count++, Variant::MakeNull());
            bound += count;
            if (!lists) marks.assign(names, 1);
            marks.push_back(count);
            ++names;
            lists = true;
        } catch (const std::exception& e) {
            // This parameter is left out; the next is tried.
            leftOut += std::string(leftOut.empty() ? "" : "; ") + e.what();
        } catch (...) {
        }
    }
    if (bound != before) same = false;
    list.Truncate(bound);
    // A stored procedure's call takes one mark per parameter already.
    if (!lists || command.CommandType != data::kCommandText) return leftOut;
    try {
        command.CommandText = data::ExpandParameterMarks(command.CommandText, marks);
    } catch (const data::DataError& e) {
        throw data::DataError(leftOut.empty() ? std::string(e.what()) : leftOut + " (" + e.what() + ")");
    }
    return leftOut;
}

bool eRSource::OpenRecordsource() {
    return Open(false);
}

bool eRSource::Open(bool mayReuse) {
    // The recordset of the last open serves the new one when nobody else
    // holds it (a child re-opened for each parent record).
    std::shared_ptr<data::Recordset> previous = std::move(ADORecordset);
    ADORecordset = nullptr;
    LastOpenError.clear();
    DepthGuard depth;
    const auto cnn = eCnn.lock();
    std::string leftOut;
    if (!kept_) kept_ = std::make_unique<Kept>();
    Kept& k = *kept_;
    const std::uint64_t keptState = std::exchange(k.state, 0);
    data::Command& command = k.command;
    const auto filterAndSort = [this] {
        // A fresh recordset has no filter or sort and stands on its first
        // row, which is all an empty filter or sort would do.
        if (!RTFilter.empty()) ApplyFilter();
        if (!RTOrder.empty()) ApplySort();
        return RefreshChilds();
    };
    if (mayReuse && !depth.TooDeep()) {
        switch (ServeAhead(cnn.get(), previous, keptState)) {
            case Served::Kept:
                return RefreshChilds();
            case Served::Ahead:
                return filterAndSort();
            case Served::No:
                break;
        }
    }
    k.servedInputs.reset();
    const char* step = nullptr;  // binding or running, once the query is known
    try {
        if (depth.TooDeep()) throw data::DataError(msg::kSourcesTooDeep);
        if (!cnn) {
            const std::string name = ecnnName();
            throw data::DataError(name.empty() ? msg::kSourceWithoutConnection : msg::SourceConnectionUnknown(name));
        }
        if (!cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen)
            throw data::DataError(msg::ConnectionNotOpen(cnn->Name));
        data::Connection* const on = cnn->ADOCnn.get();
        bool same = mayReuse && ReuseRows && k.on == on && k.rowLimit == on->RowLimit;
        // Without macros the stored text itself, copied into the room kept.
        if (SQLCommand.find('@') == std::string::npos) {
            if (k.text != SQLCommand) {
                same = false;
                k.text = SQLCommand;
                k.alike = -1;
            }
        } else {
            std::string text = ReplaceMacros(SQLCommand);
            if (text != k.text) {
                same = false;
                k.text = std::move(text);
                k.alike = -1;
            }
        }
        command.CommandText = k.text;
        const int type = command.CommandType;
        command.CommandType = CommandTypeOf(TypeofCommand);
        if (command.CommandType != type) {
            same = false;
            k.alike = -1;
        }
        const auto rpt = cnn->RPTParent.lock();
        step = msg::kStepBind;
        leftOut = BindParameters(command, rpt.get(), same);
        // The database is asked only for a query that repeats the last one,
        // and before it runs (a commit in between changes the answer): a
        // link that never repeats costs nothing, and a run of repeats keeps
        // its rows from its third record on.
        if (same && k.alike < 0) k.alike = RunsAlike(command.CommandType, k.text);
        const std::uint64_t state = same && k.alike == 1 ? cnn->ADOCnn->ReadState() : 0;
        k.on = on;
        k.rowLimit = on->RowLimit;
        if (state != 0 && state == keptState && previous && previous->State() == data::kStateOpen &&
            !k.rows.owner_before(previous) && !previous.owner_before(k.rows)) {
            k.state = state;
            ReuseRowsHeld(std::move(previous));
            return RefreshChilds();
        }
        if (!k.ahead.Empty()) {
            const bool served = mayReuse && k.aheadOn == on && k.aheadRowLimit == on->RowLimit &&
                                k.ahead.FrontSends(command) && on->ReadState() == k.aheadState;
            if (served) {
                if (previous && previous.use_count() == 1 && k.spare.size() < kAheadQueries)
                    k.spare.push_back(std::move(previous));
                ADORecordset = k.ahead.PopFront();
                if (k.ahead.Empty()) k.aheadSize = std::min(k.aheadSize * 2, kAheadQueries);
                k.rows = ADORecordset;
                k.state = k.aheadState;
                k.alike = 1;  // only queries that run alike are read ahead
            } else {
                k.DropAhead();
            }
        }
        if (!ADORecordset) {
            step = msg::kStepRun;
            command.ActiveConnection = cnn->ADOCnn;
            ADORecordset = command.Execute(std::move(previous));
            command.ActiveConnection = nullptr;  // the kept command keeps no connection open
            if (!ADORecordset || ADORecordset->State() != data::kStateOpen) {
                ADORecordset = nullptr;
                step = nullptr;
                throw data::DataError(msg::kNoRecords);
            }
            k.rows = ADORecordset;
            k.state = state;
        }
    } catch (const std::exception& e) {
        command.ActiveConnection = nullptr;
        if (const auto* known = dynamic_cast<const data::detail::FailedStep*>(&e)) step = known->step;
        const auto rpt = cnn && cnn->ADOCnn ? cnn->RPTParent.lock() : nullptr;
        LastOpenError = OpenFailure(step ? msg::FailedTo(step, e.what()) : e.what(), leftOut,
                                    rpt ? data::UnknownMacros(*rpt, SQLCommand) : std::vector<std::string>());
        return false;
    }
    return filterAndSort();
}

eRSource::Served eRSource::ServeAhead(const eConnection* cnn, std::shared_ptr<data::Recordset>& previous,
                                      std::uint64_t keptState) {
    Kept& k = *kept_;
    if (!ReuseRows || (!k.servedInputs && k.ahead.Empty())) return Served::No;
    if (!cnn || !cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen) return Served::No;
    data::Connection& on = *cnn->ADOCnn;
    if (k.aheadOn != &on || k.aheadRowLimit != on.RowLimit) return Served::No;
    const auto rpt = cnn->RPTParent.lock();
    // The front rows read ahead; at most one of the two can be the rows
    // wanted, the front's link differing from the served one's.
    const bool front = !k.ahead.Empty() && k.aheadInputs &&
                       k.aheadInputs->Same(*this, rpt.get(), k.ahead.FrontLink()) && on.ReadState() == k.aheadState;
    if (!front) {
        // The link repeats the value of the rows served last, which are held.
        if (k.servedInputs && keptState != 0 && previous && previous->State() == data::kStateOpen &&
            !k.rows.owner_before(previous) && !previous.owner_before(k.rows) &&
            k.servedInputs->Same(*this, rpt.get(), k.servedLink) && on.ReadState() == keptState) {
            k.state = keptState;
            ReuseRowsHeld(std::move(previous));
            return Served::Kept;
        }
        return Served::No;
    }
    if (previous && previous.use_count() == 1 && k.spare.size() < kAheadQueries) k.spare.push_back(std::move(previous));
    previous = nullptr;
    // The command, its text and what is known of that text stay as the last
    // open left them, which are not these rows: k.on cleared makes the next
    // open that binds count as a new query.
    k.on = nullptr;
    if (k.servedInputs != k.aheadInputs) k.servedInputs = k.aheadInputs;
    k.servedLink = k.ahead.FrontLink();
    ADORecordset = k.ahead.PopFront();
    if (k.ahead.Empty()) k.aheadSize = std::min(k.aheadSize * 2, kAheadQueries);
    k.rows = ADORecordset;
    k.state = k.aheadState;
    return Served::Ahead;
}

bool eRSource::KeepsRows() const {
    if (!ReuseRows) return false;
    try {
        return RunsAlike(CommandTypeOf(TypeofCommand), ReplaceMacros(SQLCommand));
    } catch (const data::DataError&) {
        return false;  // never opens
    }
}

void eRSource::ReuseRowsHeld(std::shared_ptr<data::Recordset> rows) {
    // A recordset a host still holds never changes: it gets a copy.
    if (rows.use_count() > 1) {
        rows = rows->Clone();
        kept_->rows = rows;
    }
    ADORecordset = std::move(rows);
    data::Recordset& rs = *ADORecordset;
    const std::string filter = RTFilter.empty() ? std::string() : ReplaceMacros(RTFilter);
    const std::string order = RTOrder.empty() ? std::string() : ReplaceMacros(RTOrder);
    // The same filter and sort give the same rows in the same order, however
    // they were set; others are set on the rows as the command left them, as
    // on a fresh recordset.
    if (rs.Filter() != filter || rs.Sort() != order) {
        rs.Filter("");
        rs.Sort("");
        if (!RTFilter.empty()) ApplyFilter();
        if (!RTOrder.empty()) ApplySort();
    }
    rs.MoveFirst();
}

bool eRSource::ApplyFilter() {
    return SetOnRows(
        ADORecordset.get(), [this](data::Recordset& rs) { rs.Filter(ReplaceMacros(RTFilter)); }, msg::kTheFilter,
        RTFilter, LastFilterError);
}

Variant eRSource::ApplySort() {
    return SetOnRows(
        ADORecordset.get(), [this](data::Recordset& rs) { rs.Sort(ReplaceMacros(RTOrder)); }, msg::kTheSort, RTOrder,
        LastSortError);
}

bool eRSource::RefreshChilds() {
    bool result = true;
    LastOpenError.clear();
    eParameter* linked = nullptr;
    if (!text::TrimBlanks(eFieldNametoParameters).empty() && !text::TrimBlanks(idParameterLinked).empty()) {
        const auto rpt = Report();
        linked = rpt ? rpt->FindParameter(idParameterLinked) : nullptr;
        try {
            if (linked && ADORecordset) {
                linked->Value = ADORecordset->Fields()(eFieldNametoParameters).Value();
                linked->Values.reset();  // the current record's one value
            }
        } catch (...) {
            // No current record or no such field: the parameter keeps its value.
            linked = nullptr;
        }
    }
    if (!eRSources) return result;
    for (const auto& child : *eRSources) {
        if (!child) continue;
        child->RTFilter = child->Filter;
        child->RTOrder = child->Order;
        result = child->Open(true);
        LastOpenError = result ? "" : msg::OfSource(child->Name, child->LastOpenError);
    }
    if (linked) ReadAhead(*linked);
    return result;
}

// A walk re-runs each child for every parent record, and on SQLite every
// query outside a held read takes and drops the database lock, which costs
// about as much as the query. So a child that may keep its rows, once it has
// served what it read before, runs its query for the next distinct link
// values now, under the lock the step holds, and serves those rows at the
// following records while the database stays unchanged (ReadState).
void eRSource::ReadAhead(eParameter& linked) {
    std::size_t wanted = 0;
    for (const auto& child : *eRSources) {
        if (!child || !child->ReuseRows || !child->ADORecordset || !child->kept_) continue;
        Kept& k = *child->kept_;
        if (!k.ahead.Empty()) continue;
        if (k.aheadPause > 0) {
            --k.aheadPause;
            continue;
        }
        wanted = std::max(wanted, k.aheadSize);
    }
    if (wanted == 0) return;
    // The next distinct values: a record whose value repeats the one before
    // it keeps the child's rows anyway.
    std::vector<Variant> next;
    try {
        const data::Field& field = ADORecordset->Fields()(eFieldNametoParameters);
        Variant last = linked.Value;
        for (std::size_t a = 1; a <= kAheadScan && next.size() < wanted; ++a) {
            std::optional<Variant> v = field.ValueAhead(a);
            if (!v) break;
            if (SameValue(*v, last)) continue;
            last = *v;
            next.push_back(std::move(*v));
        }
    } catch (...) {
        return;
    }
    if (next.empty()) return;
    const Variant current = linked.Value;
    for (const auto& child : *eRSources)
        if (child && child->ReuseRows && child->ADORecordset && child->kept_ && child->kept_->ahead.Empty() &&
            child->kept_->aheadPause == 0)
            child->FillAhead(linked, next);
    linked.Value = current;
    linked.Values.reset();
}

void eRSource::FillAhead(eParameter& linked, const std::vector<Variant>& values) {
    Kept& k = *kept_;
    const auto cnn = eCnn.lock();
    if (!cnn || !cnn->ADOCnn || cnn->ADOCnn->State() != data::kStateOpen) return;
    data::Connection& on = *cnn->ADOCnn;
    const std::uint64_t state = on.ReadState();
    if (state == 0) return;  // the provider cannot tell a changed database
    const auto rpt = cnn->RPTParent.lock();
    data::Command& command = k.aheadCommand;
    auto inputs = std::make_shared<Kept::AheadInputs>();
    inputs->Take(*this, rpt.get(), linked);
    try {
        // A stored procedure's body is not seen, and a table's rows are
        // kept as they are: neither is run ahead.
        const int type = CommandTypeOf(TypeofCommand);
        if (type != data::kCommandText) return;
        command.ActiveConnection = cnn->ADOCnn;
        // Within the batch only the link's value changes. A text without
        // macros is then the same for every query, marks widened for lists
        // included, so after the first query only the parameters the link
        // gives are set again.
        const bool fixedText = SQLCommand.find('@') == std::string::npos;
        std::vector<std::size_t> linkAt;
        const Binding linkBinding = BindingOf(linked);
        // The whole query for the link's value now; false when it must not
        // run ahead.
        const auto bindQuery = [&](std::vector<std::size_t>* at) {
            // A text without macros is copied into the room the last one had.
            if (fixedText)
                command.CommandText = SQLCommand;
            else
                command.CommandText = ReplaceMacros(SQLCommand);
            if (command.CommandText != k.aheadAlikeText) {
                if (!RunsAlike(type, command.CommandText)) return false;
                k.aheadAlikeText = command.CommandText;
            }
            command.CommandType = type;
            bool same = true;
            // A parameter left out makes the open fail or differ: it runs then.
            return BindParameters(command, rpt.get(), same, &linked, at).empty();
        };
        // The queries are bound first and then run in one go, so that the
        // database's code runs in one loop (Provider::ExecuteEach).
        Kept::Batch& b = k.batch;
        b.values.clear();
        b.valuesAt.clear();
        std::size_t n = 0;
        for (; n < values.size() && n < k.aheadSize; ++n) {
            linked.Value = values[n];
            linked.Values.reset();
            try {
                if (n > 0 && fixedText) {
                    bool same = true;
                    for (const std::size_t at : linkAt) Give(command, at, linked, linkBinding, linked.Value, same);
                } else if (!bindQuery(n == 0 ? &linkAt : nullptr)) {
                    break;
                }
            } catch (...) {
                break;  // the queries bound so far still run
            }
            if (!fixedText) {
                if (b.texts.size() <= n) b.texts.emplace_back();
                b.texts[n] = command.CommandText;
            }
            b.valuesAt.push_back(b.values.size());
            const data::ParameterList& list = command.Parameters();
            for (std::size_t j = 0; j < list.Count(); ++j) b.values.push_back(list.At(j)->Bound());
            k.ahead.Push(command, values[n], !inputs->usable);
        }
        b.valuesAt.push_back(b.values.size());
        b.pointers.clear();
        for (const auto& v : b.values) b.pointers.push_back(&v);
        b.runs.clear();
        for (std::size_t i = 0; i < n; ++i)
            b.runs.push_back({fixedText ? &command.CommandText : &b.texts[i],
                              data::detail::BoundValues(b.pointers.data() + b.valuesAt[i],
                                                        b.valuesAt[i + 1] - b.valuesAt[i])});
        b.got.clear();
        command.ExecuteEach(b.runs, kAheadRows, k.spare, b.got);
        k.ahead.Fill(b.got);
        b.got.clear();
    } catch (...) {
        // What failed runs again at its own record and reports there; the
        // queries pushed may have no rows.
        k.ahead.Clear();
    }
    command.ActiveConnection = nullptr;  // the kept command keeps no connection open
    // Rows read across a commit are of no one state: all are dropped.
    if (on.ReadState() != state) {
        k.ahead.Clear();
        return;
    }
    k.aheadState = state;
    k.aheadInputs = std::move(inputs);
    k.aheadOn = &on;
    k.aheadRowLimit = on.RowLimit;
}

}  // namespace orvane
