// A spy for the tests that link the library's internals (not the designer's,
// which link the shared library): SQLite behind a provider name of the
// test's.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>

namespace orvane::testing {

// SQLite behind a provider name of the test's, counting its opens and
// statements in calls. It numbers the points where it can fail in points
// (an open, a statement's run, its binding when it binds a text to a
// statement already prepared, and every row read but a result's first) and
// fails the one numbered failAt (0: none): an open or a run with a planted
// error, a binding or a row for real, SQLite refusing a text longer than its
// length limit or its progress handler interrupting the step. What failed
// ("abrir" or the statement) and its step are kept in failed and step once
// the failure happened.
struct SqliteSpy {
    static inline int calls = 0, points = 0, failAt = 0;
    static inline std::string failed;
    static inline const char* step = nullptr;
    // Registers the spy as name; returns what name had, to put back.
    static data::detail::ProviderFactory Register(const std::string& name);
};

namespace spy {

inline bool FaultDue(const std::string& what, const char* step) {
    if (++SqliteSpy::points != SqliteSpy::failAt) return false;
    SqliteSpy::failed = what;
    SqliteSpy::step = step;
    return true;
}

// The statement running, its rows so far and whether the step making its
// current row fails: SQLite calls the progress handler once more before that
// step returns the row.
inline const std::string* running = nullptr;
inline int rows = 0;
inline bool interrupt = false;

inline int OnTrace(unsigned, void*, void* stmt, void*) {
    const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
    if (running && sql && *running == sql && ++rows > 1 && ++SqliteSpy::points == SqliteSpy::failAt)
        interrupt = true;
    return 0;
}

inline int OnProgress(void*) {
    if (!interrupt) return 0;
    interrupt = false;
    SqliteSpy::failed = *running;
    SqliteSpy::step = data::msg::kStepRead;
    return 1;
}

// True when a statement of sql is prepared and idle: running it binds first.
inline bool Prepared(sqlite3* db, const std::string& sql) {
    for (sqlite3_stmt* st = sqlite3_next_stmt(db, nullptr); st; st = sqlite3_next_stmt(db, st))
        if (const char* text = sqlite3_sql(st); text && sql == text && !sqlite3_stmt_busy(st)) return true;
    return false;
}

inline bool BindsText(data::detail::BoundValues params) {
    for (const auto* v : params)
        if (v->kind == data::detail::BoundValue::Kind::Text && v->text.size() > 1) return true;
    return false;
}

class SpyProvider : public data::detail::Provider {
public:
    explicit SpyProvider(std::unique_ptr<Provider> inner)
        : inner_(std::move(inner)), db_(data::detail::SqliteHandle(*inner_)) {
        sqlite3_trace_v2(db_, SQLITE_TRACE_ROW, OnTrace, nullptr);
        sqlite3_progress_handler(db_, 1, OnProgress, nullptr);
    }
    std::shared_ptr<data::detail::Table> Execute(const std::string& sql, data::detail::BoundValues params,
                                                 std::size_t rowLimit) override {
        ++SqliteSpy::calls;
        if (FaultDue(sql, data::msg::kStepRun)) throw data::DataError("fallo planeado");
        const int length = sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, -1);
        const bool bindFails = BindsText(params) && Prepared(db_, sql) && ++SqliteSpy::points == SqliteSpy::failAt;
        // The limit of 1 byte falls on the binding alone: the statement
        // fails there, before any step.
        if (bindFails) sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, 1);
        struct Restore {
            sqlite3* db;
            int length;
            ~Restore() {
                sqlite3_limit(db, SQLITE_LIMIT_LENGTH, length);
                running = nullptr;
                interrupt = false;
            }
        } restore{db_, length};
        running = &sql;
        rows = 0;
        try {
            return inner_->Execute(sql, params, rowLimit);
        } catch (const data::detail::FailedStep& e) {
            // By text: a build that folds the constant may give each of its
            // uses a copy of the literal of its own.
            if (bindFails && std::string_view(e.step) == data::msg::kStepBind) {
                SqliteSpy::failed = sql;
                SqliteSpy::step = e.step;
            }
            throw;
        }
    }
    std::string QuoteIdentifier(std::string_view n) const override { return inner_->QuoteIdentifier(n); }
    std::string ProcedureCall(std::string_view n, std::size_t c) const override { return inner_->ProcedureCall(n, c); }
    std::shared_ptr<data::detail::Table> Tables(std::size_t limit) override { return inner_->Tables(limit); }
    std::shared_ptr<data::detail::Table> Procedures(std::size_t limit) override { return inner_->Procedures(limit); }
    void HoldReads(bool on) override { inner_->HoldReads(on); }
    std::uint64_t ReadState() override { return inner_->ReadState(); }

private:
    std::unique_ptr<Provider> inner_;
    sqlite3* db_;
};

}  // namespace spy

inline data::detail::ProviderFactory SqliteSpy::Register(const std::string& name) {
    return data::detail::RegisterProvider(
        name, [](const data::detail::ProviderRequest& r) -> std::unique_ptr<data::detail::Provider> {
            ++calls;
            if (spy::FaultDue("abrir", nullptr)) throw data::DataError("fallo planeado");
            return std::make_unique<spy::SpyProvider>(
                data::detail::OpenSqliteProvider(r.Find("Data Source")->value, r.commandTimeout));
        });
}

}  // namespace orvane::testing
