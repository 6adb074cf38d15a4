// Column-wise row storage and its builder.
#include "data/ado/detail/Table.h"

#include <limits>

#include "data/ado/DataError.h"

namespace orvane::data::detail {

std::int64_t PackDate(const DateTime& d) {
    return ((((static_cast<std::int64_t>(d.Year) * 100 + d.Month) * 100 + d.Day) * 100 + d.Hour) * 100 + d.Minute) *
               100 +
           d.Second;
}

DateTime UnpackDate(std::int64_t v) {
    DateTime d;
    d.Second = static_cast<int>(v % 100);
    v /= 100;
    d.Minute = static_cast<int>(v % 100);
    v /= 100;
    d.Hour = static_cast<int>(v % 100);
    v /= 100;
    d.Day = static_cast<int>(v % 100);
    v /= 100;
    d.Month = static_cast<int>(v % 100);
    d.Year = static_cast<int>(v / 100);
    return d;
}

Variant Table::ValueAt(std::size_t column, std::size_t row) const {
    const Column& c = columns[column];
    const Cell& cell = c.cells[row];
    switch (c.kinds[row]) {
        case CellKind::Null:
            return Variant::MakeNull();
        case CellKind::Int:
            return Variant(static_cast<long long>(cell.i));
        case CellKind::Double:
            return Variant(cell.d);
        case CellKind::Text:
            return Variant(std::string(c.TextAt(row)));
        case CellKind::Date:
            return Variant(UnpackDate(cell.i));
        case CellKind::Bool:
            return Variant(cell.i != 0);
    }
    return Variant::MakeNull();
}

std::size_t Table::MemoryBytes() const {
    std::size_t total = sizeof(Table);
    for (const Column& c : columns)
        total += sizeof(Column) + c.name.capacity() + c.kinds.capacity() + c.cells.capacity() * sizeof(Cell) +
                 c.texts.capacity();
    return total;
}

TableBuilder::TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit) : rowLimit_(rowLimit) {
    // Room for a few rows up front: most results of a master-detail walk are
    // that small, and growing from nothing costs several reallocations.
    constexpr std::size_t kFirstRows = 16;
    table_.columns.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Column& c = table_.columns[i];
        c.name = names[i];
        c.kinds.reserve(kFirstRows);
        c.cells.reserve(kFirstRows);
    }
}

void TableBuilder::BeginRow() {
    if (table_.rows >= rowLimit_ || table_.rows >= std::numeric_limits<std::uint32_t>::max() - 1)
        throw DataError("The result has more than " + std::to_string(rowLimit_) +
                        " rows, the most a recordset holds in memory");
    ++table_.rows;
    col_ = 0;
}

Column& TableBuilder::Next() {
    if (col_ >= table_.columns.size()) throw DataError("Internal error: too many values in a row");
    return table_.columns[col_++];
}

namespace {
void Put(Column& c, CellKind kind, Cell cell) {
    c.kinds.push_back(kind);
    c.cells.push_back(cell);
    c.kindsSeen |= 1u << static_cast<unsigned>(kind);
}
}  // namespace

void TableBuilder::Null() {
    Put(Next(), CellKind::Null, Cell{.i = 0});
}
void TableBuilder::Int(std::int64_t v) {
    Put(Next(), CellKind::Int, Cell{.i = v});
}
void TableBuilder::Double(double v) {
    Cell c;
    c.d = v;
    Put(Next(), CellKind::Double, c);
}
void TableBuilder::Bool(bool v) {
    Put(Next(), CellKind::Bool, Cell{.i = v ? 1 : 0});
}
void TableBuilder::Date(const DateTime& v) {
    Put(Next(), CellKind::Date, Cell{.i = PackDate(v)});
}
void TableBuilder::Text(std::string_view v) {
    Column& c = Next();
    if (c.texts.size() + v.size() > std::numeric_limits<std::uint32_t>::max())
        throw DataError("The texts of column " + c.name + " exceed the 4 GiB a recordset column holds");
    Cell cell;
    cell.t.offset = static_cast<std::uint32_t>(c.texts.size());
    cell.t.length = static_cast<std::uint32_t>(v.size());
    c.texts.append(v);
    Put(c, CellKind::Text, cell);
}

namespace {
// Trims a buffer's unused room when it is worth a copy: small results keep
// theirs, so the many small queries of a walk do not reallocate every buffer.
template <typename Buffer>
void Trim(Buffer& b) {
    constexpr std::size_t kWorthBytes = 4096;
    if ((b.capacity() - b.size()) * sizeof(b[0]) > kWorthBytes) b.shrink_to_fit();
}
}  // namespace

Table TableBuilder::Finish() {
    for (Column& c : table_.columns) {
        Trim(c.kinds);
        Trim(c.cells);
        Trim(c.texts);
    }
    return std::move(table_);
}

}  // namespace orvane::data::detail
