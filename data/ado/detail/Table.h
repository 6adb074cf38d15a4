// Column-wise storage of a materialized result: per column one kind byte and
// one 8-byte payload per row, texts packed into one buffer per column. Filled
// by the providers through TableBuilder, read by the recordset.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Variant.h>

namespace orvane::data::detail {

enum class CellKind : std::uint8_t { Null, Int, Double, Text, Date, Bool, Decimal };

union Cell {
    std::int64_t i;  // Int, Bool (0/1), Date (PackDate)
    double d;        // Double
    struct {
        std::uint32_t offset;
        std::uint32_t length;
    } t;  // Text, Decimal (its plain text), in Column::texts
};
static_assert(sizeof(Cell) == 8);

struct Column {
    std::string name;
    std::vector<CellKind> kinds;
    std::vector<Cell> cells;
    std::string texts;
    unsigned kindsSeen = 0;  // bit per CellKind present

    std::string_view TextAt(std::size_t row) const {
        return std::string_view(texts).substr(cells[row].t.offset, cells[row].t.length);
    }
};

// Dates as one ordered integer, to 100 nanoseconds. A date whose fields do
// not fit (a year past 16383, a fraction finer than 100 ns) is not packable
// and is stored as its text instead.
bool Packable(const DateTime& d);
std::int64_t PackDate(const DateTime& d);
DateTime UnpackDate(std::int64_t v);

struct Table {
    std::vector<Column> columns;
    std::size_t rows = 0;

    // Inline: a host reads a value per field and row.
    Variant ValueAt(std::size_t column, std::size_t row) const {
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
            case CellKind::Decimal:
                return DecimalAt(c, row);
        }
        return Variant::MakeNull();
    }
    static Variant DecimalAt(const Column& c, std::size_t row);
    // Bytes held by the storage (capacity of every buffer).
    std::size_t MemoryBytes() const;
};

// Appends rows cell by cell, left to right; raises DataError past the row
// limit or when a column's text buffer would exceed 4 GiB.
//
// A master-detail walk runs the same small query once per parent, and
// allocating and freeing every buffer each time was a large share of its
// cost. So a finished table that is released while still small goes back to
// the spare tables kept per thread (a batch read ahead's worth), and the
// next builder on that thread starts from one of them with its buffers'
// room intact.
class TableBuilder {
public:
    TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit);
    ~TableBuilder();
    TableBuilder(const TableBuilder&) = delete;
    TableBuilder& operator=(const TableBuilder&) = delete;

    // The cell appends are inline: they run once per cell of every result.
    void BeginRow() {
        if (table_->rows >= maxRows_) TooManyRows();
        ++table_->rows;
        col_ = 0;
    }
    void Null() { Put(Next(), CellKind::Null, Cell{.i = 0}); }
    void Int(std::int64_t v) { Put(Next(), CellKind::Int, Cell{.i = v}); }
    void Double(double v) {
        Cell c;
        c.d = v;
        Put(Next(), CellKind::Double, c);
    }
    void Bool(bool v) { Put(Next(), CellKind::Bool, Cell{.i = v ? 1 : 0}); }
    void Date(const DateTime& v);
    void Decimal(const orvane::Decimal& v);
    void Text(std::string_view v);
    // The rows appended; the builder is empty afterwards.
    std::shared_ptr<Table> Finish();

private:
    Column& Next() {
        if (col_ >= table_->columns.size()) TooManyValues();
        return table_->columns[col_++];
    }
    static void Put(Column& c, CellKind kind, Cell cell) {
        c.kinds.push_back(kind);
        c.cells.push_back(cell);
        c.kindsSeen |= 1u << static_cast<unsigned>(kind);
    }
    [[noreturn]] void TooManyRows() const;
    [[noreturn]] static void TooManyValues();

    std::unique_ptr<Table> table_;
    std::size_t rowLimit_;
    std::size_t maxRows_;  // rowLimit_, or less where row numbers would not fit 32 bits
    std::size_t col_ = 0;
};

}  // namespace orvane::data::detail
