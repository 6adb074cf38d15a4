// Column-wise storage of a materialized result: per column one kind byte and
// one 8-byte payload per row, texts packed into one buffer per column. Filled
// by the providers through TableBuilder, read by the recordset.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
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

// Leaves an element it makes without a value uninitialized, as new T does:
// the builder sizes a column's buffers ahead of its rows and writes every
// cell itself, so zeroing them first would be wasted.
template <typename T>
struct NoInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = NoInitAllocator<U>;
    };
    NoInitAllocator() = default;
    template <typename U>
    NoInitAllocator(const NoInitAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A column's kinds and cells hold at least its table's rows; past them is
// room a builder may write into (a spare table keeps it, sized), whose
// values mean nothing.
struct Column {
    std::string name;
    std::vector<CellKind, NoInitAllocator<CellKind>> kinds;
    std::vector<Cell, NoInitAllocator<Cell>> cells;
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
    // MemoryBytes as Finish counted it, while the table was in the cache:
    // a table is not changed once finished.
    std::size_t finishedBytes = 0;
};

// Appends rows cell by cell, left to right; raises DataError past the row
// limit or when a column's text buffer would exceed 4 GiB. A cell a row
// leaves out is Null.
//
// A master-detail walk runs the same small query once per parent, and
// allocating and freeing every buffer each time was a large share of its
// cost. So a finished table that is released while still small goes back to
// the spare tables kept per thread (a batch read ahead's worth), and the
// next builder on that thread starts from one of them with its buffers'
// room intact.
//
// While rows are appended every column's kinds and cells are sized to at
// least the rows there is room for (room_), so that a cell is two stores and
// the only check a row makes is against that room.
class TableBuilder {
public:
    TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit);
    ~TableBuilder();
    TableBuilder(const TableBuilder&) = delete;
    TableBuilder& operator=(const TableBuilder&) = delete;

    // The cell appends are inline: they run once per cell of every result.
    void BeginRow() {
        if (col_ < columns_ && rows_ != 0) PadRow();
        if (rows_ == room_) Grow();
        row_ = rows_++;
        col_ = 0;
    }
    void Null() { Put(CellKind::Null, Cell{.i = 0}); }
    void Int(std::int64_t v) { Put(CellKind::Int, Cell{.i = v}); }
    void Double(double v) {
        Cell c;
        c.d = v;
        Put(CellKind::Double, c);
    }
    void Bool(bool v) { Put(CellKind::Bool, Cell{.i = v ? 1 : 0}); }
    void Date(const DateTime& v);
    void Decimal(const orvane::Decimal& v);
    void Text(std::string_view v);
    // The rows appended; the builder is empty afterwards.
    std::shared_ptr<Table> Finish();

private:
    Column& Next() {
        if (col_ >= columns_) TooManyValues();
        return table_->columns[col_++];
    }
    [[gnu::always_inline]] void Put(CellKind kind, Cell cell) { Store(Next(), kind, cell); }
    [[gnu::always_inline]] void Store(Column& c, CellKind kind, Cell cell) const {
        c.kinds.data()[row_] = kind;
        c.cells.data()[row_] = cell;
        c.kindsSeen |= 1u << static_cast<unsigned>(kind);
    }
    // Room for more rows in every column, or DataError past the limit.
    void Grow();
    // Nulls for the cells the row being appended left out.
    void PadRow();
    [[noreturn]] void TooManyRows() const;
    [[noreturn]] static void TooManyValues();

    std::unique_ptr<Table> table_;
    std::size_t rowLimit_;
    std::size_t maxRows_;  // rowLimit_, or less where row numbers would not fit 32 bits
    std::size_t columns_;
    std::size_t rows_ = 0;  // appended so far
    std::size_t room_ = 0;  // rows every column is sized for
    std::size_t row_ = 0;   // the row being appended
    std::size_t col_ = 0;
};

}  // namespace orvane::data::detail
