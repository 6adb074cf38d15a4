// The native SQLite provider. Results are read into column storage; a column
// declared as a date or time type (its declared type holds DATE or TIME)
// gives Date values for texts that read as dates, one declared BOOL, BOOLEAN
// or BIT gives truth values for integers. Dates are bound as ISO texts.
//
// A text holding one statement is prepared once and kept (the last
// kStatementCacheSize texts): running it again resets it, clears its bindings
// and binds anew. Every statement is reset as soon as its rows are read, so
// a kept statement holds no lock. While reads are held (HoldReads, for the
// length of one step of a walk), a small pinned statement keeps one read
// transaction open between read-only commands instead of taking and dropping
// the database lock per command; a command that writes, or a pin the
// database refuses, releases it first.
//
// ReadState tells whether the database may have changed without taking a
// lock: a lock and its release cost about as much as a small query, and a
// walk that keeps a child's rows asks on every step. In rollback-journal
// modes every commit, of any connection, rewrites the file change counter at
// offset 24 of the header before it lets go of its lock, so the header read
// through SQLite's own file handle (one pread, and no second descriptor whose
// closing would drop the process's locks) is enough; it is the same check
// SQLite makes after taking a lock. In WAL mode (the header's versions are 2)
// the counter stays put, and PRAGMA data_version tells other connections'
// commits. Writes of this connection are counted as they run.
#include <sqlite3.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <list>
#include <unordered_map>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data::detail {

std::vector<std::string> TableSchemaColumns() {
    return {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",   "TABLE_TYPE",   "TABLE_GUID",
            "DESCRIPTION",   "TABLE_PROPID", "DATE_CREATED", "DATE_MODIFIED"};
}

std::vector<std::string> ProcedureSchemaColumns() {
    return {"PROCEDURE_CATALOG",    "PROCEDURE_SCHEMA", "PROCEDURE_NAME", "PROCEDURE_TYPE",
            "PROCEDURE_DEFINITION", "DESCRIPTION",      "DATE_CREATED",   "DATE_MODIFIED"};
}

std::string QuoteWith(std::string_view name, char quote) {
    std::string out(1, quote);
    for (char c : name) {
        out += c;
        if (c == quote) out += c;
    }
    out += quote;
    return out;
}

namespace {

constexpr std::size_t kStatementCacheSize = 16;
// The longest a batch read ahead holds its read, and so keeps other
// connections from writing, before it leaves the rest to later batches.
constexpr std::chrono::milliseconds kBatchReadFor{100};

// A prepared statement owned by one Execute call (texts of several statements).
class Statement {
public:
    Statement(sqlite3* db, const char* sql, const char** tail) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, tail) != SQLITE_OK) throw DataError(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when a run ends, however it ends, so that a kept
// statement holds no lock, and drops its bindings when they hold copies of
// texts: every run binds all its marks anew, so the values left are never
// used again, and numbers hold no memory.
class ResetOnExit {
public:
    explicit ResetOnExit(sqlite3_stmt* st) : st_(st) {}
    ~ResetOnExit() {
        sqlite3_reset(st_);
        if (copies) sqlite3_clear_bindings(st_);
    }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;
    bool copies = false;  // a text or binary value was bound

private:
    sqlite3_stmt* st_;
};

// True when nothing but blanks and semicolons follows a statement.
bool OnlyBlanks(const char* tail) {
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';') return false;
    return true;
}

// How a result's columns are read: their names and what their declared
// types ask for. Kept with a kept statement until SQLite prepares the
// statement again (after a schema change), which may change its columns.
struct ColumnPlan {
    enum : std::uint8_t { kDate = 1, kTimeOnly = 2, kBool = 4 };
    std::vector<std::string> names;
    std::vector<std::uint8_t> flags;
    int prepared = -1;  // the statement's count of re-preparations when made
};

// The plan of a statement's current columns.
void MakePlan(sqlite3_stmt* st, ColumnPlan& plan) {
    const int n = sqlite3_column_count(st);
    plan.names.clear();
    plan.flags.assign(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(st, i);
        plan.names.emplace_back(name ? name : "");
        const char* decl = sqlite3_column_decltype(st, i);
        const std::string type = decl ? text::Lower(decl) : std::string();
        std::uint8_t& f = plan.flags[static_cast<std::size_t>(i)];
        if (type.find("date") != std::string::npos || type.find("time") != std::string::npos) f |= ColumnPlan::kDate;
        if (type == "time") f |= ColumnPlan::kTimeOnly;
        if (type == "bool" || type == "boolean" || type == "bit") f |= ColumnPlan::kBool;
    }
    plan.prepared = sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0);
}

// A statement kept for its text, with the plan of its columns.
struct Kept {
    sqlite3_stmt* st = nullptr;
    ColumnPlan plan;
};

// The texts prepared most recently, each with its statement, least recently
// used first out.
class StatementCache {
public:
    StatementCache() = default;
    ~StatementCache() { Clear(); }
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // The kept statement of a text, now the most recently used; null when
    // the text is not kept.
    Kept* Find(const std::string& sql) {
        auto it = index_.find(sql);
        if (it == index_.end()) return nullptr;
        order_.splice(order_.end(), order_, it->second);
        return &it->second->second;
    }
    // Keeps a statement (the cache finalizes it), dropping the least
    // recently used beyond kStatementCacheSize.
    Kept& Add(const std::string& sql, sqlite3_stmt* st) {
        if (order_.size() >= kStatementCacheSize) {
            sqlite3_finalize(order_.front().second.st);
            index_.erase(order_.front().first);
            order_.pop_front();
        }
        order_.emplace_back(sql, Kept{st, {}});
        index_.emplace(sql, std::prev(order_.end()));
        return order_.back().second;
    }
    void Clear() {
        for (auto& entry : order_) sqlite3_finalize(entry.second.st);
        order_.clear();
        index_.clear();
    }

private:
    using Entry = std::pair<std::string, Kept>;
    std::list<Entry> order_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

class SqliteProvider : public Provider {
public:
    SqliteProvider(const std::string& path, int busySeconds) {
        // A connection serves one thread at a time, so SQLite's own locking
        // of the connection is left out.
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (path == ":memory:" ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string why = db_ ? sqlite3_errmsg(db_) : msg::kOutOfMemory;
            sqlite3_close(db_);
            db_ = nullptr;
            throw DataError(msg::SqliteNotOpened(path, why));
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, busySeconds * 1000);
        // A memory or temporary database has no file: only this connection writes it.
        const char* file = sqlite3_db_filename(db_, "main");
        if (file && *file) {
            sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file_);
            if (!file_) fileUnknown_ = true;
            // SQLite maps the first page, where ReadState looks (and SQLite
            // reads that page through the map too). Only that page: a map
            // read past a file someone else cut short is a fatal signal, and
            // the first page of a database is never cut.
            sqlite3_int64 mapped = 4096;
            sqlite3_file_control(db_, "main", SQLITE_FCNTL_MMAP_SIZE, &mapped);
        }
    }
    ~SqliteProvider() override {
        ReleasePin();
        if (pin_) sqlite3_finalize(pin_);
        if (dataVersion_) sqlite3_finalize(dataVersion_);
        cache_.Clear();
        sqlite3_close_v2(db_);
    }

    std::shared_ptr<Table> Execute(const std::string& sql, BoundValues params, std::size_t rowLimit) override {
        if (Kept* kept = cache_.Find(sql)) return RunKept(*kept, params, rowLimit);
        return ExecuteNew(sql, params, rowLimit);
    }

    void ExecuteEach(std::span<const BatchRun> runs, std::size_t rowLimit, std::size_t rowCap,
                     std::vector<std::shared_ptr<Table>>& tables) override {
        // The batch is read as one snapshot, under one read transaction,
        // whether or not the caller holds reads: taking and dropping the
        // database's lock at every run costs several system calls each.
        struct BatchHold {
            SqliteProvider& p;
            const bool held = p.holdReads_;
            explicit BatchHold(SqliteProvider& provider) : p(provider) { p.holdReads_ = true; }
            ~BatchHold() {
                if (!held) p.HoldReads(false);
            }
            BatchHold(const BatchHold&) = delete;
            BatchHold& operator=(const BatchHold&) = delete;
        } hold(*this);
        // Writers wait while the batch holds its read, so a batch of slow
        // queries stops once it has held it kBatchReadFor (looked at every
        // fourth run); the walk queries the records it did not reach later.
        const auto until = std::chrono::steady_clock::now() + kBatchReadFor;
        std::size_t rows = 0;
        const std::string* keptSql = nullptr;  // the text of kept
        Kept* kept = nullptr;
        for (const BatchRun& run : runs) {
            if (rows >= rowCap) return;
            if ((&run - runs.data()) % 4 == 3 && std::chrono::steady_clock::now() >= until) return;
            std::shared_ptr<Table> t;
            try {
                // A batch repeats one text, or runs each once: the cache is
                // searched only when the text changes.
                if (kept && (run.sql == keptSql || *run.sql == *keptSql)) {
                    t = RunKept(*kept, run.params, rowLimit);
                } else if ((kept = cache_.Find(*run.sql))) {
                    keptSql = run.sql;
                    t = RunKept(*kept, run.params, rowLimit);
                } else {
                    // A text kept for the next run alone: a macro's texts
                    // seldom come back, and keeping each would cost more
                    // than preparing it.
                    const bool again = &run + 1 != runs.data() + runs.size() &&
                                       ((&run + 1)->sql == run.sql || *(&run + 1)->sql == *run.sql);
                    t = ExecuteNew(*run.sql, run.params, rowLimit, again);  // may drop a kept statement
                }
            } catch (const DataError&) {
                return;
            }
            if (!t) return;
            rows += t->rows;
            tables.push_back(std::move(t));
        }
    }

    std::shared_ptr<Table> RunKept(Kept& kept, BoundValues params, std::size_t rowLimit) {
        std::shared_ptr<Table> result;
        std::size_t used = 0;
        Run(kept.st, &kept.plan, params, used, rowLimit, result);
        CheckAllUsed(used, params.size());
        return result;
    }

    // Runs a text the cache does not keep, keeping it when it holds one
    // statement and keep says so.
    std::shared_ptr<Table> ExecuteNew(const std::string& sql, BoundValues params, std::size_t rowLimit,
                                      bool keep = true) {
        std::shared_ptr<Table> result;
        std::size_t used = 0;
        const char* next = sql.c_str();
        const char* const end = next + sql.size();
        while (next && *next) {
            const char* tail = nullptr;
            sqlite3_stmt* raw = nullptr;
            // The length with the terminating NUL spares SQLite a copy of the
            // text; one past an int's range is read to its NUL instead.
            const std::ptrdiff_t length = end - next + 1;
            if (sqlite3_prepare_v2(db_, next, length > INT_MAX ? -1 : static_cast<int>(length), &raw, &tail) !=
                SQLITE_OK)
                throw DataError(sqlite3_errmsg(db_));
            if (!raw) {  // blanks or a comment
                next = tail;
                continue;
            }
            if (keep && next == sql.c_str() && OnlyBlanks(tail)) {
                Kept& kept = cache_.Add(sql, raw);
                Run(raw, &kept.plan, params, used, rowLimit, result);
                break;
            }
            std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(raw, sqlite3_finalize);
            next = tail;
            Run(raw, nullptr, params, used, rowLimit, result);
        }
        CheckAllUsed(used, params.size());
        return result;
    }

    // Prepares each statement of the text without running any: the columns
    // of the first that returns rows, and the marks of all against params.
    std::vector<std::string> ResultColumns(const std::string& sql, BoundValues params) override {
        std::vector<std::string> names;
        std::size_t marks = 0;
        for (const char* next = sql.c_str(); next && *next;) {
            const char* tail = nullptr;
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db_, next, -1, &raw, &tail) != SQLITE_OK) throw DataError(sqlite3_errmsg(db_));
            next = tail;
            if (!raw) continue;
            std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(raw, sqlite3_finalize);
            marks += static_cast<std::size_t>(sqlite3_bind_parameter_count(raw));
            if (!names.empty()) continue;
            for (int i = 0; i < sqlite3_column_count(raw); ++i) {
                const char* name = sqlite3_column_name(raw, i);
                names.emplace_back(name ? name : "");
            }
        }
        CheckAllUsed(marks, params.size());
        return names;
    }

    void HoldReads(bool on) override {
        holdReads_ = on;
        if (!on) ReleasePin();
    }

    // A new number whenever what the database looks like has changed since
    // the last call; 0 when it cannot be told.
    std::uint64_t ReadState() override {
        Observation now;
        if (!Observe(now)) return 0;
        // Numbered across every connection of the process, so that a
        // connection closed and opened again never repeats a number.
        static std::atomic<std::uint64_t> states{0};
        if (state_ == 0 || now != seen_) {
            seen_ = now;
            state_ = ++states;
        }
        return state_;
    }

    sqlite3* Handle() const { return db_; }

    std::string QuoteIdentifier(std::string_view name) const override { return QuoteWith(name, '"'); }

    std::string ProcedureCall(std::string_view, std::size_t) const override {
        throw DataError(msg::kSqliteNoProcedures);
    }

    std::shared_ptr<Table> Tables(std::size_t rowLimit) override {
        Statement st(db_,
                     "SELECT name, CASE WHEN name LIKE 'sqlite\\_%' ESCAPE '\\' THEN 'SYSTEM TABLE' "
                     "ELSE upper(type) END FROM sqlite_master WHERE type IN ('table','view') ORDER BY name",
                     nullptr);
        TableBuilder b(TableSchemaColumns(), rowLimit);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            b.BeginRow();
            b.Null();
            b.Null();
            b.Text(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
            b.Text(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
            for (int i = 0; i < 5; ++i) b.Null();
        }
        if (rc != SQLITE_DONE) throw DataError(sqlite3_errmsg(db_));
        return b.Finish();
    }

    std::shared_ptr<Table> Procedures(std::size_t rowLimit) override {
        return TableBuilder(ProcedureSchemaColumns(), rowLimit).Finish();
    }

private:
    // Binds the next parameters to one statement and runs it, reading its
    // rows into result when it is the first statement that returns any.
    void Run(sqlite3_stmt* st, ColumnPlan* plan, BoundValues params, std::size_t& used, std::size_t rowLimit,
             std::shared_ptr<Table>& result) {
        ResetOnExit reset(st);
        const int count = sqlite3_bind_parameter_count(st);
        if (used + static_cast<std::size_t>(count) > params.size())
            throw DataError(msg::MoreMarksThanParameters(params.size()));
        for (int i = 1; i <= count; ++i) {
            const BoundValue& v = *params[used++];
            reset.copies = reset.copies || (v.kind != BoundValue::Kind::Null && v.kind != BoundValue::Kind::Int &&
                                             v.kind != BoundValue::Kind::Bool && v.kind != BoundValue::Kind::Double);
            Bind(st, i, v);
        }
        if (sqlite3_stmt_readonly(st)) {
            Pin();
        } else {
            ReleasePin();
            ++writes_;
        }
        if (sqlite3_column_count(st) > 0 && !result)
            result = Read(st, plan, rowLimit);
        else
            Drain(st);
    }

    static void CheckAllUsed(std::size_t used, std::size_t given) {
        if (used != given) throw DataError(msg::MarksAndParameters(used, given));
    }

    // Opens the held read transaction when reads are held and it is not open:
    // a statement that reads the schema cookie and is left on its one row. A
    // database that refuses (busy, locked) is read without it.
    void Pin() {
        if (!holdReads_ || pinned_) return;
        if (!pin_ && sqlite3_prepare_v2(db_, "PRAGMA schema_version", -1, &pin_, nullptr) != SQLITE_OK) {
            pin_ = nullptr;
            return;
        }
        if (sqlite3_step(pin_) == SQLITE_ROW)
            pinned_ = true;
        else
            sqlite3_reset(pin_);
    }

    // What ReadState compares: the header's versions and file change counter
    // (bytes 18 to 39, as SQLite compares them), the data version in WAL
    // mode, and this connection's writes.
    struct Observation {
        std::array<unsigned char, 22> header{};
        sqlite3_int64 dataVersion = 0;
        std::uint64_t writes = 0;
        bool operator==(const Observation&) const = default;
    };

    // False when whether the database changed cannot be told: the header
    // cannot be read, the data version cannot be asked, or databases are
    // attached (their files are not watched).
    bool Observe(Observation& o) {
        if (fileUnknown_ || sqlite3_db_name(db_, 2)) return false;
        o.writes = writes_;
        if (!file_) return true;
        if (!file_->pMethods) return false;
        // Through SQLite's map of the first page a look costs no system call,
        // which a walk asking at every step notices; without one (a file
        // shorter than a page, a VFS that maps nothing), one read. A file
        // shorter than the header (a new database) reads as zeros.
        void* page = nullptr;
        const sqlite3_io_methods& io = *file_->pMethods;
        if (io.iVersion >= 3 && io.xFetch && io.xFetch(file_, 0, 40, &page) == SQLITE_OK && page) {
            std::memcpy(o.header.data(), static_cast<const unsigned char*>(page) + 18, o.header.size());
            io.xUnfetch(file_, 0, page);
        } else {
            const int rc = io.xRead(file_, o.header.data(), static_cast<int>(o.header.size()), 18);
            if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return false;
        }
        if (o.header[0] != 2 && o.header[1] != 2) return true;
        if (!dataVersion_ && sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &dataVersion_, nullptr) != SQLITE_OK) {
            dataVersion_ = nullptr;
            return false;
        }
        const bool read = sqlite3_step(dataVersion_) == SQLITE_ROW;
        if (read) o.dataVersion = sqlite3_column_int64(dataVersion_, 0);
        sqlite3_reset(dataVersion_);
        return read;
    }

    void ReleasePin() {
        if (!pinned_) return;
        sqlite3_reset(pin_);
        pinned_ = false;
    }

    void Bind(sqlite3_stmt* st, int index, const BoundValue& v) {
        int rc = SQLITE_OK;
        switch (v.kind) {
            case BoundValue::Kind::Null:
                rc = sqlite3_bind_null(st, index);
                break;
            case BoundValue::Kind::Int:
            case BoundValue::Kind::Bool:
                rc = sqlite3_bind_int64(st, index, v.integer);
                break;
            case BoundValue::Kind::Double:
                rc = sqlite3_bind_double(st, index, v.real);
                break;
            case BoundValue::Kind::Decimal:
                rc = BindDecimal(st, index, v.text);
                break;
            case BoundValue::Kind::Text:
                rc = sqlite3_bind_text64(st, index, v.text.data(), v.text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            case BoundValue::Kind::Binary:
                rc = sqlite3_bind_blob64(st, index, v.text.data(), v.text.size(), SQLITE_TRANSIENT);
                break;
            case BoundValue::Kind::Date:
                rc = BindText(st, index, v.date.DateText());
                break;
            case BoundValue::Kind::Time:
                rc = BindText(st, index, v.date.TimeText());
                break;
            case BoundValue::Kind::Timestamp:
                // Both parts even at midnight: SQLite compares stamps as texts.
                rc = BindText(st, index, v.date.DateText() + " " + v.date.TimeText());
                break;
        }
        if (rc != SQLITE_OK) throw FailedStep(msg::kStepBind, sqlite3_errmsg(db_));
    }

    // SQLite has no exact decimal type: a whole number goes as an integer,
    // one a double holds exactly (15 digits) as a double, so that it
    // compares with the REAL and INTEGER values stored; a longer one as its
    // text, which SQLite turns into a number where a column wants one.
    static int BindDecimal(sqlite3_stmt* st, int index, const std::string& text) {
        const auto d = Decimal::Parse(text);
        if (!d) return BindText(st, index, text);
        if (const auto whole = d->ToInt(); whole && d->Scale() == 0) return sqlite3_bind_int64(st, index, *whole);
        if (d->Precision() <= 15) return sqlite3_bind_double(st, index, d->ToDouble());
        return BindText(st, index, text);
    }

    static int BindText(sqlite3_stmt* st, int index, const std::string& s) {
        return sqlite3_bind_text64(st, index, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }

    void Drain(sqlite3_stmt* st) {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) throw DataError(sqlite3_errmsg(db_));
    }

    // The rows of a statement. The plan of its columns is made after the
    // first step, when SQLite has prepared it again if the schema changed;
    // a kept plan is reused while the statement was not prepared again.
    std::shared_ptr<Table> Read(sqlite3_stmt* st, ColumnPlan* kept, std::size_t rowLimit) {
        int rc = sqlite3_step(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw DataError(sqlite3_errmsg(db_));
        ColumnPlan local;
        ColumnPlan& plan = kept ? *kept : local;
        if (plan.prepared != sqlite3_stmt_status(st, SQLITE_STMTSTATUS_REPREPARE, 0) ||
            plan.names.size() != static_cast<std::size_t>(sqlite3_column_count(st)))
            MakePlan(st, plan);
        const int n = static_cast<int>(plan.names.size());
        TableBuilder b(plan.names, rowLimit);
        // Cells are read through sqlite3_column_value: one call per cell where
        // sqlite3_column_type and a typed read make two. Its value is not
        // protected against other threads using the connection, which a
        // connection of ours never has (a definition belongs to one thread).
        for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
            b.BeginRow();
            for (int i = 0; i < n; ++i) {
                const std::uint8_t flags = plan.flags[static_cast<std::size_t>(i)];
                sqlite3_value* v = sqlite3_column_value(st, i);
                switch (sqlite3_value_type(v)) {
                    case SQLITE_INTEGER:
                        if (flags & ColumnPlan::kBool)
                            b.Bool(sqlite3_value_int64(v) != 0);
                        else
                            b.Int(sqlite3_value_int64(v));
                        break;
                    case SQLITE_FLOAT:
                        b.Double(sqlite3_value_double(v));
                        break;
                    case SQLITE_TEXT: {
                        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
                        std::string_view s(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
                        std::optional<DateTime> d;
                        if (flags & ColumnPlan::kDate) {
                            if (!(flags & ColumnPlan::kTimeOnly)) d = ParseDateText(s);
                            if (!d) d = ParseTimeText(s);
                        }
                        if (d)
                            b.Date(*d);
                        else
                            b.Text(s);
                        break;
                    }
                    case SQLITE_BLOB: {
                        const void* p = sqlite3_value_blob(v);
                        b.Text(p ? std::string_view(static_cast<const char*>(p),
                                                    static_cast<std::size_t>(sqlite3_value_bytes(v)))
                                 : std::string_view());
                        break;
                    }
                    default:
                        b.Null();
                        break;
                }
            }
        }
        // Past the first step the result had begun: a failure now is one of
        // reading its rows, never a shorter result.
        if (rc != SQLITE_DONE) throw FailedStep(msg::kStepRead, sqlite3_errmsg(db_));
        return b.Finish();
    }

    sqlite3* db_ = nullptr;
    StatementCache cache_;
    sqlite3_stmt* pin_ = nullptr;  // the held read transaction's statement
    bool holdReads_ = false;
    bool pinned_ = false;
    sqlite3_file* file_ = nullptr;  // the main database file, SQLite's; null for a memory database
    bool fileUnknown_ = false;      // a file whose handle SQLite did not give
    sqlite3_stmt* dataVersion_ = nullptr;
    std::uint64_t writes_ = 0;  // statements run that may have written
    Observation seen_;          // at the last ReadState
    std::uint64_t state_ = 0;   // its number
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const std::string& path, int busySeconds) {
    return std::make_unique<SqliteProvider>(path, busySeconds);
}

sqlite3* SqliteHandle(Provider& provider) {
    const auto* sqlite = dynamic_cast<const SqliteProvider*>(&provider);
    return sqlite ? sqlite->Handle() : nullptr;
}

}  // namespace orvane::data::detail
