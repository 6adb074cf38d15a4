// Recordset: moves over the visible rows, and the filter and sort engines.
// A filter is compiled once against the columns and evaluated a column at a
// time into byte masks; a sort orders the visible row numbers with
// std::stable_sort on a pre-extracted 64-bit key of the first sort field,
// falling back to the stored cells only on ties.
#include <orvanespt/data/ado/Recordset.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include <orvanespt/data/ado/FilterExpression.h>
#include <orvanespt/data/ado/detail/Table.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/Decimal.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {

using detail::Cell;
using detail::CellKind;
using detail::Column;

namespace {

template <typename T>
int Cmp3(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

constexpr int kIncomparable = 2;

// A Decimal cell's value: stored as its own plain text, so it reads back.
Decimal DecimalAt(const Column& c, std::size_t row) {
    return Decimal::Parse(c.TextAt(row)).value_or(Decimal());
}

double NumberAt(const Column& c, std::size_t row) {
    switch (c.kinds[row]) {
        case CellKind::Double:
            return c.cells[row].d;
        case CellKind::Decimal:
            return DecimalAt(c, row).ToDouble();
        default:
            return static_cast<double>(c.cells[row].i);
    }
}

bool Holds(CompareOp op, int c) {
    if (c == kIncomparable) return op == CompareOp::Ne;
    switch (op) {
        case CompareOp::Eq:
            return c == 0;
        case CompareOp::Ne:
            return c != 0;
        case CompareOp::Lt:
            return c < 0;
        case CompareOp::Gt:
            return c > 0;
        case CompareOp::Le:
            return c <= 0;
        case CompareOp::Ge:
            return c >= 0;
        case CompareOp::Like:
            return false;
    }
    return false;
}

// A * or % pattern split at its wildcards; matched greedily, which is exact
// when the only wildcard is "any run".
struct LikePattern {
    std::vector<std::string> pieces;  // folded literal pieces
    bool anchoredStart = true;
    bool anchoredEnd = true;

    explicit LikePattern(std::string_view pattern) {
        std::string folded = text::Lower(pattern);
        std::string current;
        anchoredStart = folded.empty() || (folded.front() != '*' && folded.front() != '%');
        anchoredEnd = folded.empty() || (folded.back() != '*' && folded.back() != '%');
        for (char c : folded) {
            if (c == '*' || c == '%') {
                if (!current.empty()) pieces.push_back(std::move(current));
                current.clear();
            } else {
                current += c;
            }
        }
        if (!current.empty()) pieces.push_back(std::move(current));
    }

    static bool EqualFolded(std::string_view text, std::size_t at, const std::string& piece) {
        return text::CompareIgnoreCase(text.substr(at, piece.size()), piece) == 0;
    }

    bool Matches(std::string_view text) const {
        if (pieces.empty()) return !(anchoredStart && anchoredEnd) || text.empty();
        if (pieces.size() == 1 && anchoredStart && anchoredEnd)
            return text.size() == pieces[0].size() && EqualFolded(text, 0, pieces[0]);
        std::size_t from = 0, first = 0, last = pieces.size();
        if (anchoredStart) {
            if (text.size() < pieces[0].size() || !EqualFolded(text, 0, pieces[0])) return false;
            from = pieces[0].size();
            first = 1;
        }
        std::size_t end = text.size();
        if (anchoredEnd && last > first) {
            const std::string& tail = pieces[last - 1];
            if (end < from + tail.size() || !EqualFolded(text, end - tail.size(), tail)) return false;
            end -= tail.size();
            --last;
        }
        for (std::size_t p = first; p < last; ++p) {
            const std::string& piece = pieces[p];
            bool found = false;
            for (std::size_t at = from; at + piece.size() <= end; ++at) {
                if (EqualFolded(text, at, piece)) {
                    from = at + piece.size();
                    found = true;
                    break;
                }
            }
            if (!found) return false;
        }
        return true;
    }
};

// A literal prepared for comparison with each kind of cell.
struct Literal {
    FilterValue value;
    std::string folded;      // Text / Number: text to compare text cells with
    bool hasNumber = false;  // a number to compare numeric cells with
    double number = 0;
    bool isInteger = false;
    std::int64_t integer = 0;
    bool hasDate = false;  // a date to compare date cells with
    std::int64_t packedDate = 0;
    double serial = 0;
    std::optional<Decimal> exact;  // the number exactly, for decimal cells
    std::unique_ptr<LikePattern> like;

    explicit Literal(const FilterValue& v, CompareOp op) : value(v) {
        using K = FilterValue::Kind;
        switch (v.kind) {
            case K::Number:
                hasNumber = true;
                number = v.number;
                isInteger = v.isInteger;
                integer = v.integer;
                folded = text::Lower(v.text);
                exact = Decimal::Parse(v.text);
                break;
            case K::Text: {
                folded = text::Lower(v.text);
                char* end = nullptr;
                std::string trimmed(text::TrimWhite(v.text));
                if (!trimmed.empty()) {
                    number = std::strtod(trimmed.c_str(), &end);
                    hasNumber = end == trimmed.c_str() + trimmed.size();
                    if (hasNumber) exact = Decimal::Parse(trimmed);
                }
                if (auto d = ParseDateText(v.text)) SetDate(*d);
                if (op == CompareOp::Like) like = std::make_unique<LikePattern>(v.text);
                break;
            }
            case K::Date:
                SetDate(v.date);
                break;
            case K::Bool:
                folded = v.truth ? "true" : "false";
                break;
            case K::Null:
                break;
        }
    }

    void SetDate(const DateTime& d) {
        hasDate = true;
        packedDate = detail::PackDate(d);
        serial = d.ToSerial();
    }

    int CompareNumber(double x, CompareOp op) const {
        if (value.kind == FilterValue::Kind::Bool) {
            if (op != CompareOp::Eq && op != CompareOp::Ne) return kIncomparable;
            return (x != 0) == value.truth ? 0 : 1;
        }
        if (value.kind == FilterValue::Kind::Date) return Cmp3(x, serial);
        return hasNumber ? Cmp3(x, number) : kIncomparable;
    }

    // -1 / 0 / 1 for cell against literal, or kIncomparable.
    int Compare(const Column& c, std::size_t row, CompareOp op) const {
        const Cell& cell = c.cells[row];
        switch (c.kinds[row]) {
            case CellKind::Null:
                return kIncomparable;
            case CellKind::Int:
                if (isInteger && value.kind == FilterValue::Kind::Number) return Cmp3(cell.i, integer);
                return CompareNumber(static_cast<double>(cell.i), op);
            case CellKind::Double:
                return CompareNumber(cell.d, op);
            case CellKind::Decimal:
                if (exact && value.kind != FilterValue::Kind::Bool) return DecimalAt(c, row).Compare(*exact);
                return CompareNumber(DecimalAt(c, row).ToDouble(), op);
            case CellKind::Bool:
                if (value.kind == FilterValue::Kind::Bool) return Cmp3(cell.i != 0, value.truth);
                if (op == CompareOp::Eq || op == CompareOp::Ne) {
                    if (!hasNumber) return kIncomparable;
                    return (cell.i != 0) == (number != 0) ? 0 : 1;
                }
                return CompareNumber(static_cast<double>(cell.i), op);
            case CellKind::Date:
                if (hasDate) return Cmp3(cell.i, packedDate);
                if (value.kind == FilterValue::Kind::Number) return Cmp3(detail::UnpackDate(cell.i).ToSerial(), number);
                return kIncomparable;
            case CellKind::Text:
                if (value.kind == FilterValue::Kind::Date) {
                    auto d = ParseDateText(c.TextAt(row));
                    return d ? Cmp3(detail::PackDate(*d), packedDate) : kIncomparable;
                }
                if (c.cells[row].t.length != folded.size() && (op == CompareOp::Eq || op == CompareOp::Ne)) return 1;
                return text::CompareIgnoreCase(c.TextAt(row), folded);
        }
        return kIncomparable;
    }
};

std::string TextForm(const detail::Table& t, std::size_t col, std::size_t row) {
    const Column& c = t.columns[col];
    if (c.kinds[row] == CellKind::Text) return std::string(c.TextAt(row));
    return t.ValueAt(col, row).TextOr();
}

struct Compiled {
    FilterNode::Kind kind = FilterNode::Kind::Compare;
    std::size_t column = 0;
    CompareOp op = CompareOp::Eq;
    std::unique_ptr<Literal> literal;
    std::vector<Compiled> children;
};

void Evaluate(const Compiled& n, const detail::Table& t, std::vector<std::uint8_t>& mask) {
    const std::size_t rows = t.rows;
    mask.assign(rows, 0);
    if (n.kind != FilterNode::Kind::Compare) {
        const bool isAnd = n.kind == FilterNode::Kind::And;
        Evaluate(n.children.front(), t, mask);
        std::vector<std::uint8_t> part;
        for (std::size_t k = 1; k < n.children.size(); ++k) {
            Evaluate(n.children[k], t, part);
            for (std::size_t i = 0; i < rows; ++i) mask[i] = isAnd ? (mask[i] & part[i]) : (mask[i] | part[i]);
        }
        return;
    }
    const Column& c = t.columns[n.column];
    const Literal& lit = *n.literal;
    std::uint8_t* out = mask.data();
    if (lit.value.kind == FilterValue::Kind::Null) {
        const bool wantNull = n.op == CompareOp::Eq;
        for (std::size_t i = 0; i < rows; ++i) out[i] = (c.kinds[i] == CellKind::Null) == wantNull;
    } else if (n.op == CompareOp::Like) {
        for (std::size_t i = 0; i < rows; ++i) {
            if (c.kinds[i] == CellKind::Null) continue;
            out[i] = c.kinds[i] == CellKind::Text ? lit.like->Matches(c.TextAt(i))
                                                  : lit.like->Matches(TextForm(t, n.column, i));
        }
    } else if (c.kindsSeen == (1u << static_cast<unsigned>(CellKind::Int)) && lit.isInteger &&
               lit.value.kind == FilterValue::Kind::Number) {
        // The common case of a whole-number column against a whole number.
        const std::int64_t v = lit.integer;
        const Cell* cells = c.cells.data();
        for (std::size_t i = 0; i < rows; ++i) out[i] = Holds(n.op, Cmp3(cells[i].i, v));
    } else {
        for (std::size_t i = 0; i < rows; ++i)
            out[i] = c.kinds[i] != CellKind::Null && Holds(n.op, lit.Compare(c, i, n.op));
    }
}

// Generic comparison of two cells of one column: Null first, then numbers,
// dates, texts.
int Rank(CellKind k) {
    switch (k) {
        case CellKind::Null:
            return 0;
        case CellKind::Int:
        case CellKind::Double:
        case CellKind::Decimal:
        case CellKind::Bool:
            return 1;
        case CellKind::Date:
            return 2;
        case CellKind::Text:
            return 3;
    }
    return 0;
}

int CompareCells(const Column& c, std::uint32_t a, std::uint32_t b) {
    const CellKind ka = c.kinds[a], kb = c.kinds[b];
    const int ra = Rank(ka), rb = Rank(kb);
    if (ra != rb) return ra < rb ? -1 : 1;
    switch (ra) {
        case 0:
            return 0;
        case 1: {
            if (ka == CellKind::Double || kb == CellKind::Double) return Cmp3(NumberAt(c, a), NumberAt(c, b));
            if (ka != CellKind::Decimal && kb != CellKind::Decimal) return Cmp3(c.cells[a].i, c.cells[b].i);
            const Decimal da = ka == CellKind::Decimal ? DecimalAt(c, a) : Decimal::FromInt(c.cells[a].i);
            const Decimal db = kb == CellKind::Decimal ? DecimalAt(c, b) : Decimal::FromInt(c.cells[b].i);
            return da.Compare(db);
        }
        case 2:
            return Cmp3(c.cells[a].i, c.cells[b].i);
        default:
            return text::CompareIgnoreCase(c.TextAt(a), c.TextAt(b));
    }
}

unsigned Bit(CellKind k) {
    return 1u << static_cast<unsigned>(k);
}

enum class KeyMode { Integer, Real, Text, Mixed };

KeyMode ModeOf(const Column& c) {
    const unsigned seen = c.kindsSeen & ~Bit(CellKind::Null);
    if ((seen & ~(Bit(CellKind::Int) | Bit(CellKind::Bool))) == 0) return KeyMode::Integer;
    if (seen == Bit(CellKind::Date)) return KeyMode::Integer;
    if ((seen & ~(Bit(CellKind::Int) | Bit(CellKind::Bool) | Bit(CellKind::Double) | Bit(CellKind::Decimal))) == 0)
        return KeyMode::Real;
    if (seen == Bit(CellKind::Text)) return KeyMode::Text;
    return KeyMode::Mixed;
}

// Order-preserving unsigned images of the key values.
std::uint64_t IntKey(std::int64_t v) {
    return static_cast<std::uint64_t>(v) ^ (1ull << 63);
}
std::uint64_t RealKey(double d) {
    if (d == 0) d = 0;  // -0 and +0 are equal
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return (u & (1ull << 63)) ? ~u : (u | (1ull << 63));
}
std::uint64_t TextKey(std::string_view s) {
    std::uint64_t key = 0;
    unsigned char prev = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        unsigned char f = 0;
        if (i < s.size()) {
            const unsigned char u = static_cast<unsigned char>(s[i]);
            f = text::FoldLatin1(prev, u);
            prev = u;
        }
        key = (key << 8) | f;
    }
    return key;
}

// One row's place in a sort: the first two sort fields as order-preserving
// 64-bit keys, each with a rank that puts Null first (ascending) or last
// (descending) and a flag telling whether the key holds the whole value, so
// that equal keys need no look at the stored cells.
struct SortEntry {
    std::uint64_t key[2];
    std::uint32_t row;
    std::uint8_t rank[2];
    std::uint8_t whole[2];
};

struct SortField {
    const Column* column;
    bool descending;
    KeyMode mode;
};

void ExtractKey(const SortField& f, std::uint32_t r, SortEntry& e, int slot) {
    const Column& c = *f.column;
    const CellKind k = c.kinds[r];
    if (k == CellKind::Null) {
        e.rank[slot] = f.descending ? 1 : 0;
        e.key[slot] = 0;
        e.whole[slot] = 1;
        return;
    }
    e.rank[slot] = f.descending ? 0 : 1;
    e.whole[slot] = 1;
    std::uint64_t key = 0;
    switch (f.mode) {
        case KeyMode::Integer:
            key = IntKey(c.cells[r].i);
            break;
        case KeyMode::Real:
            key = RealKey(NumberAt(c, r));
            // A decimal's nearest double orders it, but two decimals may share
            // one: ties are settled on the exact values.
            e.whole[slot] = k != CellKind::Decimal;
            break;
        case KeyMode::Text: {
            const std::string_view t = c.TextAt(r);
            key = TextKey(t);
            e.whole[slot] = t.size() <= 8 && t.find('\0') == std::string_view::npos;
            break;
        }
        case KeyMode::Mixed:
            key = static_cast<std::uint64_t>(Rank(k));
            e.whole[slot] = 0;
            break;
    }
    e.key[slot] = f.descending ? ~key : key;
}

}  // namespace

const std::string& Field::Name() const {
    owner_->RequireOpen();
    return owner_->table_->columns[index_].name;
}

// Read once per field and row: the checks of RequireOpen, Eof and Bof in one
// pass over the recordset.
Variant Field::Value() const {
    const Recordset& rs = *owner_;
    const detail::Table* table = rs.table_.get();
    if (!table) [[unlikely]]
        throw DataError(msg::kRecordsetClosed);
    if (rs.pos_ < 0 || static_cast<std::size_t>(rs.pos_) >= rs.visible_.size()) [[unlikely]]
        throw DataError(msg::kNoCurrentRecord);
    return table->ValueAt(index_, rs.visible_[static_cast<std::size_t>(rs.pos_)]);
}

std::optional<Variant> Field::ValueAhead(std::size_t ahead) const {
    const Recordset& rs = *owner_;
    if (!rs.table_ || rs.Eof() || rs.Bof()) return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(rs.pos_);
    if (ahead >= rs.visible_.size() - at) return std::nullopt;
    return rs.table_->ValueAt(index_, rs.visible_[at + ahead]);
}

const Field& FieldList::Item(std::size_t index) const {
    if (index >= fields_.size()) throw DataError(msg::NoFieldAt(static_cast<long long>(index)));
    return fields_[index];
}

const Field& FieldList::operator()(int index) const {
    if (index < 0) throw DataError(msg::NoFieldAt(index));
    return Item(static_cast<std::size_t>(index));
}

const Field& FieldList::Find(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string& n = *fields_[i].name_;
        if (n.size() == name.size() && text::EqualsIgnoreCase(n, name)) {
            if (n == name) lastFound_ = i;
            return fields_[i];
        }
    }
    throw DataError(msg::NoFieldNamed(std::string(name)));
}

Recordset::Recordset(std::shared_ptr<detail::Table> table) {
    Reopen(std::move(table));
}

void Recordset::Reopen(std::shared_ptr<detail::Table> table) {
    Detach();
    table_ = std::move(table);
    filter_.clear();
    sort_.clear();
    fields_.lastFound_ = 0;
    if (!table_) {
        visible_.shrink_to_fit();
        return;
    }
    fields_.fields_.reserve(table_->columns.size());
    for (std::size_t i = 0; i < table_->columns.size(); ++i)
        fields_.fields_.emplace_back(this, i, &table_->columns[i].name);
    // Room left from a much larger earlier result is given back.
    constexpr std::size_t kKeptRows = 4096;
    if (visible_.capacity() > kKeptRows && visible_.capacity() / 4 > table_->rows) {
        visible_.clear();
        visible_.shrink_to_fit();
    }
    visible_.resize(table_->rows);
    for (std::size_t i = 0; i < table_->rows; ++i) visible_[i] = static_cast<std::uint32_t>(i);
}

void Recordset::Detach() {
    table_.reset();
    fields_.fields_.clear();
    visible_.clear();
    pos_ = 0;
}

Recordset::~Recordset() = default;

void Recordset::RequireOpen() const {
    if (!table_) throw DataError(msg::kRecordsetClosed);
}

void Recordset::MoveNextRefused() const {
    RequireOpen();
    throw DataError(msg::kPastTheEnd);
}

void Recordset::MovePrevious() {
    RequireOpen();
    if (Bof()) throw DataError(msg::kBeforeTheStart);
    --pos_;
    assert(pos_ >= -1 && pos_ < static_cast<std::ptrdiff_t>(visible_.size()));
}

void Recordset::MoveFirst() {
    RequireOpen();
    pos_ = 0;
}

void Recordset::MoveLast() {
    RequireOpen();
    pos_ = visible_.empty() ? 0 : static_cast<std::ptrdiff_t>(visible_.size()) - 1;
}

std::size_t Recordset::RecordCount() const {
    return table_ ? visible_.size() : 0;
}

std::shared_ptr<Recordset> Recordset::Clone() const {
    RequireOpen();
    return std::make_shared<Recordset>(table_);
}

void Recordset::Close() {
    Detach();
    visible_.shrink_to_fit();
}

std::size_t Recordset::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < table_->columns.size(); ++i)
        if (text::EqualsIgnoreCase(table_->columns[i].name, name)) return i;
    throw ExpressionError(msg::NoFieldForExpression(std::string(name)));
}

namespace {
Compiled Compile(const FilterNode& n, const std::function<std::size_t(std::string_view)>& column) {
    Compiled c;
    c.kind = n.kind;
    if (n.kind == FilterNode::Kind::Compare) {
        c.column = column(n.field);
        c.op = n.op;
        c.literal = std::make_unique<Literal>(n.value, n.op);
    }
    for (const FilterNode& child : n.children) c.children.push_back(Compile(child, column));
    return c;
}
}  // namespace

std::vector<std::uint32_t> Recordset::FilteredRows(std::string_view text) const {
    std::vector<std::uint32_t> rows;
    auto tree = ParseFilter(text);
    if (!tree) {
        rows.resize(table_->rows);
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint32_t>(i);
        return rows;
    }
    Compiled compiled = Compile(*tree, [this](std::string_view name) { return ColumnIndex(name); });
    std::vector<std::uint8_t> mask;
    Evaluate(compiled, *table_, mask);
    std::size_t count = 0;
    for (std::uint8_t m : mask) count += m;
    rows.reserve(count);
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (mask[i]) rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

void Recordset::SortRows(std::vector<std::uint32_t>& rows, std::string_view text) const {
    const std::vector<SortKey> keys = ParseSort(text);
    if (keys.empty()) return;
    std::vector<SortField> fields;
    for (const SortKey& k : keys) {
        const Column& c = table_->columns[ColumnIndex(k.field)];
        fields.push_back({&c, k.descending, ModeOf(c)});
    }
    const std::size_t inlineKeys = std::min<std::size_t>(fields.size(), 2);
    std::vector<SortEntry> entries(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SortEntry& e = entries[i];
        e.row = rows[i];
        e.key[1] = 0;
        e.rank[1] = 0;
        e.whole[1] = 1;
        for (std::size_t k = 0; k < inlineKeys; ++k) ExtractKey(fields[k], e.row, e, static_cast<int>(k));
    }
    auto cells = [&](std::size_t k, std::uint32_t a, std::uint32_t b) {
        const int c = CompareCells(*fields[k].column, a, b);
        return fields[k].descending ? -c : c;
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        for (std::size_t k = 0; k < inlineKeys; ++k) {
            if (a.rank[k] != b.rank[k]) return a.rank[k] < b.rank[k];
            if (a.key[k] != b.key[k]) return a.key[k] < b.key[k];
            if (!(a.whole[k] && b.whole[k])) {
                const int c = cells(k, a.row, b.row);
                if (c != 0) return c < 0;
            }
        }
        for (std::size_t k = inlineKeys; k < fields.size(); ++k) {
            const int c = cells(k, a.row, b.row);
            if (c != 0) return c < 0;
        }
        return false;
    });
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = entries[i].row;
}

void Recordset::Filter(std::string_view text) {
    RequireOpen();
    if (text == filter_) {  // the same rows in the same order: only the move
        pos_ = 0;
        return;
    }
    std::vector<std::uint32_t> rows = FilteredRows(text);
    SortRows(rows, sort_);
    visible_ = std::move(rows);
    filter_ = std::string(text);
    pos_ = 0;
}

void Recordset::Sort(std::string_view text) {
    RequireOpen();
    if (text == sort_) {
        pos_ = 0;
        return;
    }
    std::vector<std::uint32_t> rows = visible_;
    std::sort(rows.begin(), rows.end());
    SortRows(rows, text);
    visible_ = std::move(rows);
    sort_ = std::string(text);
    pos_ = 0;
}

}  // namespace orvane::data
