// Column-wise row storage and its builder.
#include "data/ado/detail/Table.h"

#include <algorithm>
#include <limits>
#include <utility>

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

std::size_t Table::MemoryBytes() const {
    std::size_t total = sizeof(Table);
    for (const Column& c : columns)
        total += sizeof(Column) + c.name.capacity() + c.kinds.capacity() + c.cells.capacity() * sizeof(Cell) +
                 c.texts.capacity();
    return total;
}

namespace {

// The spare tables of one thread. A table is kept only while it is small, so
// the spares never hold more than kSpareTables x kSpareTableBytes.
constexpr std::size_t kSpareTables = 4;
constexpr std::size_t kSpareTableBytes = 64 * 1024;

struct SpareTables {
    std::vector<std::unique_ptr<Table>> tables;
    ~SpareTables();
};

// Set when this thread's spares are gone (thread or program exit): a table
// released after that is freed. A plain bool, so it stays readable then.
thread_local bool t_sparesGone = false;
thread_local SpareTables t_spares;

SpareTables::~SpareTables() {
    t_sparesGone = true;
}

void Release(Table* t) {
    if (t_sparesGone || t_spares.tables.size() >= kSpareTables || t->MemoryBytes() > kSpareTableBytes) {
        delete t;
        return;
    }
    try {
        t_spares.tables.emplace_back(t);
    } catch (...) {
        delete t;
    }
}

std::unique_ptr<Table> SpareOrNew() {
    if (t_sparesGone || t_spares.tables.empty()) return std::make_unique<Table>();
    std::unique_ptr<Table> t = std::move(t_spares.tables.back());
    t_spares.tables.pop_back();
    return t;
}

}  // namespace

TableBuilder::TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit)
    : table_(SpareOrNew()),
      rowLimit_(rowLimit),
      maxRows_(std::min<std::size_t>(rowLimit, std::numeric_limits<std::uint32_t>::max() - 1)) {
    // Room for a few rows up front: most results of a master-detail walk are
    // that small, and growing from nothing costs several reallocations. A
    // spare table's columns are emptied and keep their room.
    constexpr std::size_t kFirstRows = 16;
    table_->rows = 0;
    table_->columns.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Column& c = table_->columns[i];
        c.name.assign(names[i]);
        c.kinds.clear();
        c.cells.clear();
        c.texts.clear();
        c.kindsSeen = 0;
        c.kinds.reserve(kFirstRows);
        c.cells.reserve(kFirstRows);
    }
}

TableBuilder::~TableBuilder() {
    if (table_) Release(table_.release());
}

void TableBuilder::TooManyRows() const {
    throw DataError("The result has more than " + std::to_string(rowLimit_) +
                    " rows, the most a recordset holds in memory");
}

void TableBuilder::TooManyValues() {
    throw DataError("Internal error: too many values in a row");
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

std::shared_ptr<Table> TableBuilder::Finish() {
    for (Column& c : table_->columns) {
        Trim(c.kinds);
        Trim(c.cells);
        Trim(c.texts);
    }
    // Should the control block fail to allocate, shared_ptr hands the table
    // to Release itself.
    return std::shared_ptr<Table>(table_.release(), Release);
}

}  // namespace orvane::data::detail
