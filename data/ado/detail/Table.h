// Column-wise storage of a materialized result: per column one kind byte and
// one 8-byte payload per row, texts packed into one buffer per column. Filled
// by the providers through TableBuilder, read by the recordset.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Variant.h"

namespace orvane::data::detail {

enum class CellKind : std::uint8_t { Null, Int, Double, Text, Date, Bool };

union Cell {
    std::int64_t i;  // Int, Bool (0/1), Date (PackDate)
    double d;        // Double
    struct {
        std::uint32_t offset;
        std::uint32_t length;
    } t;  // Text, in Column::texts
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

// Dates as one ordered integer: yyyymmddhhmmss.
std::int64_t PackDate(const DateTime& d);
DateTime UnpackDate(std::int64_t v);

struct Table {
    std::vector<Column> columns;
    std::size_t rows = 0;

    Variant ValueAt(std::size_t column, std::size_t row) const;
    // Bytes held by the storage (capacity of every buffer).
    std::size_t MemoryBytes() const;
};

// Appends rows cell by cell, left to right; raises DataError past the row
// limit or when a column's text buffer would exceed 4 GiB.
class TableBuilder {
public:
    TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit);

    void BeginRow();
    void Null();
    void Int(std::int64_t v);
    void Double(double v);
    void Bool(bool v);
    void Date(const DateTime& v);
    void Text(std::string_view v);
    Table Finish();

private:
    Column& Next();
    Table table_;
    std::size_t rowLimit_;
    std::size_t col_ = 0;
};

}  // namespace orvane::data::detail
