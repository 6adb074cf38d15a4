// Column-wise row storage and its builder.
#include <orvanespt/data/ado/detail/Table.h>

#include <algorithm>
#include <limits>
#include <utility>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/detail/Texts.h>

namespace orvane::data::detail {

// Bit fields, most significant first: year 14, month 4, day 5, hour 5,
// minute 6, second 6, 100-nanosecond ticks 24. The top bit is flipped so
// that signed comparison of packed values orders them as dates.
namespace {
constexpr std::uint64_t kTopBit = 1ull << 63;
constexpr int kNanosPerTick = 100;
}  // namespace

bool Packable(const DateTime& d) {
    return d.Year >= 0 && d.Year < (1 << 14) && d.Month >= 0 && d.Month < 16 && d.Day >= 0 && d.Day < 32 &&
           d.Hour >= 0 && d.Hour < 32 && d.Minute >= 0 && d.Minute < 64 && d.Second >= 0 && d.Second < 64 &&
           d.Nanosecond >= 0 && d.Nanosecond <= 999999999 && d.Nanosecond % kNanosPerTick == 0;
}

std::int64_t PackDate(const DateTime& d) {
    const auto u = [](int v) { return static_cast<std::uint64_t>(v); };
    const std::uint64_t packed = u(d.Year) << 50 | u(d.Month) << 46 | u(d.Day) << 41 | u(d.Hour) << 36 |
                                 u(d.Minute) << 30 | u(d.Second) << 24 | u(d.Nanosecond / kNanosPerTick);
    return static_cast<std::int64_t>(packed ^ kTopBit);
}

DateTime UnpackDate(std::int64_t v) {
    const std::uint64_t u = static_cast<std::uint64_t>(v) ^ kTopBit;
    const auto field = [u](int shift, int bits) { return static_cast<int>((u >> shift) & ((1ull << bits) - 1)); };
    DateTime d;
    d.Year = field(50, 14);
    d.Month = field(46, 4);
    d.Day = field(41, 5);
    d.Hour = field(36, 5);
    d.Minute = field(30, 6);
    d.Second = field(24, 6);
    d.Nanosecond = field(0, 24) * kNanosPerTick;
    return d;
}

void TableBuilder::Date(const DateTime& v) {
    if (!Packable(v)) return Text(v.ToIsoText());  // kept whole as text rather than cut
    Put(CellKind::Date, Cell{.i = PackDate(v)});
}

void TableBuilder::Decimal(const orvane::Decimal& v) {
    const std::string digits = v.Text('.');
    Text(digits);
    table_->columns[col_ - 1].kinds[row_] = CellKind::Decimal;
    table_->columns[col_ - 1].kindsSeen |= 1u << static_cast<unsigned>(CellKind::Decimal);
}

Variant Table::DecimalAt(const Column& c, std::size_t row) {
    // Stored by TableBuilder::Decimal from a Decimal's own text: it reads back.
    if (auto d = orvane::Decimal::Parse(c.TextAt(row))) return Variant(std::move(*d));
    return Variant(std::string(c.TextAt(row)));
}

std::size_t Table::MemoryBytes() const {
    std::size_t total = sizeof(Table);
    for (const Column& c : columns)
        total += sizeof(Column) + c.name.capacity() + c.kinds.capacity() + c.cells.capacity() * sizeof(Cell) +
                 c.texts.capacity();
    return total;
}

namespace {

// The spare tables of one thread: as many as a walk reads ahead in one batch,
// and never more than kSpareBytes in all.
constexpr std::size_t kSpareTables = 256;
constexpr std::size_t kSpareBytes = 1024 * 1024;

// Plain data, so that a thread's spares are reached by one lookup and no
// check of their construction: t_freeSpares, which has a destructor, frees
// them at the thread's exit, and is touched only when the first is kept.
// The control blocks of finished tables' shared_ptrs are kept the same way
// (BlockAllocator): a walk finishes a table per query.
struct SpareTables {
    Table* tables[kSpareTables];
    std::size_t bytes[kSpareTables];  // each table's MemoryBytes when kept
    void* blocks[kSpareTables];
    std::size_t count;
    std::size_t total;
    std::size_t blockCount;
    bool freedAtExit;  // t_freeSpares is set up
    bool gone;         // the thread is ending: a table released now is freed
};
thread_local SpareTables t_spares{};

struct FreeSpares {
    ~FreeSpares() {
        SpareTables& s = t_spares;
        for (std::size_t i = 0; i < s.count; ++i) delete s.tables[i];
        for (std::size_t i = 0; i < s.blockCount; ++i) ::operator delete(s.blocks[i]);
        s.count = 0;
        s.blockCount = 0;
        s.total = 0;
        s.gone = true;
    }
};
thread_local FreeSpares t_freeSpares;

// Each look at a thread's variable from a shared library is a call, which
// the compiler repeats at every use of an inlined one: one call here.
[[gnu::noinline]] SpareTables& Spares() {
    return t_spares;
}

void FreeAtExit(SpareTables& s) {
    if (s.freedAtExit) return;
    [[maybe_unused]] volatile auto* set = &t_freeSpares;  // its first use registers its destructor
    s.freedAtExit = true;
}

// Keeps t as a spare when there is room, or frees it; bytes is its
// MemoryBytes.
void Release(Table* t, std::size_t bytes) {
    SpareTables& s = Spares();
    if (s.gone || s.count == kSpareTables) bytes = kSpareBytes + 1;
    if (bytes > kSpareBytes - s.total) {
        delete t;
        return;
    }
    FreeAtExit(s);
    s.tables[s.count] = t;
    s.bytes[s.count] = bytes;
    ++s.count;
    s.total += bytes;
}

// Allocates single objects from the thread's spare blocks and keeps them
// there when freed. Used for one type only, the control block of a finished
// table's shared_ptr, so every block is that one size.
template <typename T>
struct BlockAllocator {
    using value_type = T;
    BlockAllocator() = default;
    template <typename U>
    BlockAllocator(const BlockAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n == 1) {
            SpareTables& s = Spares();
            if (s.blockCount != 0) return static_cast<T*>(s.blocks[--s.blockCount]);
        }
        return std::allocator<T>().allocate(n);
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n == 1) {
            SpareTables& s = Spares();
            if (!s.gone && s.blockCount < kSpareTables) {
                FreeAtExit(s);
                s.blocks[s.blockCount++] = p;
                return;
            }
        }
        std::allocator<T>().deallocate(p, n);
    }
    template <typename U>
    bool operator==(const BlockAllocator<U>&) const noexcept {
        return true;
    }
};

std::unique_ptr<Table> SpareOrNew() {
    SpareTables& s = Spares();
    if (s.count == 0) return std::make_unique<Table>();
    --s.count;
    s.total -= s.bytes[s.count];
    return std::unique_ptr<Table>(s.tables[s.count]);
}

}  // namespace

TableBuilder::TableBuilder(const std::vector<std::string>& names, std::size_t rowLimit)
    : table_(SpareOrNew()),
      rowLimit_(rowLimit),
      maxRows_(std::min<std::size_t>(rowLimit, std::numeric_limits<std::uint32_t>::max() - 1)),
      columns_(names.size()),
      room_(maxRows_) {
    // A spare table's columns are emptied and keep their room, sized.
    table_->rows = 0;
    table_->columns.resize(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Column& c = table_->columns[i];
        c.name.assign(names[i]);
        c.texts.clear();
        c.kindsSeen = 0;
        room_ = std::min({room_, c.kinds.size(), c.cells.size()});
    }
}

void TableBuilder::Grow() {
    if (rows_ >= maxRows_) TooManyRows();
    // Room for a few rows first: most results of a master-detail walk are
    // that small, and growing from nothing costs several reallocations.
    constexpr std::size_t kFirstRows = 16;
    room_ = std::min(std::max(kFirstRows, room_ * 2), maxRows_);
    for (Column& c : table_->columns) {
        if (c.kinds.size() < room_) c.kinds.resize(room_);
        if (c.cells.size() < room_) c.cells.resize(room_);
    }
}

TableBuilder::~TableBuilder() {
    if (!table_) return;
    const std::size_t bytes = table_->MemoryBytes();
    Release(table_.release(), bytes);
}

void TableBuilder::TooManyRows() const {
    throw DataError(msg::TooManyRows(rowLimit_));
}

void TableBuilder::TooManyValues() {
    throw DataError(msg::kTooManyValues);
}

void TableBuilder::Text(std::string_view v) {
    Column& c = Next();
    if (c.texts.size() + v.size() > std::numeric_limits<std::uint32_t>::max())
        throw DataError(msg::ColumnTooLarge(c.name));
    Cell cell;
    cell.t.offset = static_cast<std::uint32_t>(c.texts.size());
    cell.t.length = static_cast<std::uint32_t>(v.size());
    c.texts.append(v);
    Store(c, CellKind::Text, cell);
}

namespace {
// Trims a buffer's unused room when it is worth a copy: small results keep
// theirs, so the many small queries of a walk do not reallocate every buffer.
constexpr std::size_t kWorthBytes = 4096;
template <typename Buffer>
void Trim(Buffer& b) {
    if ((b.capacity() - b.size()) * sizeof(b[0]) > kWorthBytes) b.shrink_to_fit();
}
// The same for a column's kinds or cells, whose rows are the table's.
template <typename Buffer>
void TrimRoom(Buffer& b, std::size_t rows) {
    if ((b.capacity() - rows) * sizeof(b[0]) <= kWorthBytes) return;
    b.resize(rows);
    b.shrink_to_fit();
}
}  // namespace

void TableBuilder::PadRow() {
    while (col_ < columns_) Null();
}

std::shared_ptr<Table> TableBuilder::Finish() {
    if (col_ < columns_ && rows_ != 0) PadRow();
    for (Column& c : table_->columns) {
        TrimRoom(c.kinds, rows_);
        TrimRoom(c.cells, rows_);
        Trim(c.texts);
    }
    table_->rows = rows_;
    table_->finishedBytes = table_->MemoryBytes();
    rows_ = room_ = row_ = col_ = 0;
    // Should the control block fail to allocate, shared_ptr hands the table
    // to Release itself.
    return std::shared_ptr<Table>(
        table_.release(), [](Table* t) { Release(t, t->finishedBytes); }, BlockAllocator<Table>());
}

}  // namespace orvane::data::detail
