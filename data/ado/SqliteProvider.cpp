// The native SQLite provider. Results are read into column storage; a column
// declared as a date or time type (its declared type holds DATE or TIME)
// gives Date values for texts that read as dates, one declared BOOL, BOOLEAN
// or BIT gives truth values for integers. Dates are bound as ISO texts.
#include <sqlite3.h>

#include <cstdio>

#include "data/ado/DataError.h"
#include "data/ado/detail/Provider.h"
#include "platform/Text.h"

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

std::string TwoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string DateText(const DateTime& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return buf;
}

std::string TimeText(const DateTime& d) {
    return TwoDigits(d.Hour) + ":" + TwoDigits(d.Minute) + ":" + TwoDigits(d.Second);
}

// "hh:mm[:ss]" alone, as TIME columns hold it, on the zero date.
std::optional<DateTime> ParseTimeOnly(std::string_view s) {
    s = text::TrimWhite(s);
    auto parts = text::Split(s, ":");
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    int v[3] = {0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view p = parts[i];
        if (i == 2) p = p.substr(0, p.find('.'));
        if (p.empty() || p.size() > 2) return std::nullopt;
        for (char c : p)
            if (c < '0' || c > '9') return std::nullopt;
        v[i] = std::stoi(std::string(p));
    }
    DateTime d;
    d.Hour = v[0];
    d.Minute = v[1];
    d.Second = v[2];
    if (!d.IsValid()) return std::nullopt;
    return d;
}

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

class SqliteProvider : public Provider {
public:
    explicit SqliteProvider(const std::string& path) {
        const int flags = SQLITE_OPEN_READWRITE | (path == ":memory:" ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw DataError("Cannot open the SQLite database " + path + ": " + why);
        }
        sqlite3_extended_result_codes(db_, 1);
    }
    ~SqliteProvider() override { sqlite3_close_v2(db_); }

    std::shared_ptr<Table> Execute(const std::string& sql, const std::vector<BoundValue>& params,
                                   std::size_t rowLimit) override {
        std::shared_ptr<Table> result;
        std::size_t used = 0;
        const char* next = sql.c_str();
        while (next && *next) {
            const char* tail = nullptr;
            Statement st(db_, next, &tail);
            next = tail;
            if (!st.get()) continue;  // blanks or a comment
            const int count = sqlite3_bind_parameter_count(st.get());
            if (used + static_cast<std::size_t>(count) > params.size())
                throw DataError("The command has more parameter marks than the " + std::to_string(params.size()) +
                                " parameters given");
            for (int i = 1; i <= count; ++i) Bind(st.get(), i, params[used++]);
            if (sqlite3_column_count(st.get()) > 0 && !result)
                result = std::make_shared<Table>(Read(st.get(), rowLimit));
            else
                Drain(st.get());
        }
        if (used != params.size())
            throw DataError("The command has " + std::to_string(used) + " parameter marks but " +
                            std::to_string(params.size()) + " parameters were given");
        return result;
    }

    std::string QuoteIdentifier(std::string_view name) const override { return QuoteWith(name, '"'); }

    std::string ProcedureCall(std::string_view, std::size_t) const override {
        throw DataError("SQLite has no stored procedures: use command type 1 (text) or 2 (table)");
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
        return std::make_shared<Table>(b.Finish());
    }

    std::shared_ptr<Table> Procedures(std::size_t rowLimit) override {
        return std::make_shared<Table>(TableBuilder(ProcedureSchemaColumns(), rowLimit).Finish());
    }

private:
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
            case BoundValue::Kind::Text:
                rc = sqlite3_bind_text64(st, index, v.text.data(), v.text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
                break;
            case BoundValue::Kind::Binary:
                rc = sqlite3_bind_blob64(st, index, v.text.data(), v.text.size(), SQLITE_TRANSIENT);
                break;
            case BoundValue::Kind::Date:
                rc = BindText(st, index, DateText(v.date));
                break;
            case BoundValue::Kind::Time:
                rc = BindText(st, index, TimeText(v.date));
                break;
            case BoundValue::Kind::Timestamp:
                rc = BindText(st, index, DateText(v.date) + " " + TimeText(v.date));
                break;
        }
        if (rc != SQLITE_OK) throw DataError(sqlite3_errmsg(db_));
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

    Table Read(sqlite3_stmt* st, std::size_t rowLimit) {
        const int n = sqlite3_column_count(st);
        std::vector<std::string> names;
        std::vector<char> dateTyped(n), timeOnly(n), boolTyped(n);
        for (int i = 0; i < n; ++i) {
            const char* name = sqlite3_column_name(st, i);
            names.emplace_back(name ? name : "");
            const char* decl = sqlite3_column_decltype(st, i);
            std::string type = decl ? text::Lower(decl) : std::string();
            dateTyped[i] = type.find("date") != std::string::npos || type.find("time") != std::string::npos;
            timeOnly[i] = type == "time";
            boolTyped[i] = type == "bool" || type == "boolean" || type == "bit";
        }
        TableBuilder b(std::move(names), rowLimit);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            b.BeginRow();
            for (int i = 0; i < n; ++i) {
                switch (sqlite3_column_type(st, i)) {
                    case SQLITE_INTEGER:
                        if (boolTyped[i])
                            b.Bool(sqlite3_column_int64(st, i) != 0);
                        else
                            b.Int(sqlite3_column_int64(st, i));
                        break;
                    case SQLITE_FLOAT:
                        b.Double(sqlite3_column_double(st, i));
                        break;
                    case SQLITE_TEXT: {
                        std::string_view s(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                           static_cast<std::size_t>(sqlite3_column_bytes(st, i)));
                        std::optional<DateTime> d;
                        if (dateTyped[i]) d = timeOnly[i] ? ParseTimeOnly(s) : ParseDateText(s);
                        if (dateTyped[i] && !d) d = ParseTimeOnly(s);
                        if (d)
                            b.Date(*d);
                        else
                            b.Text(s);
                        break;
                    }
                    case SQLITE_BLOB: {
                        const void* p = sqlite3_column_blob(st, i);
                        b.Text(std::string_view(static_cast<const char*>(p),
                                                static_cast<std::size_t>(sqlite3_column_bytes(st, i))));
                        break;
                    }
                    default:
                        b.Null();
                        break;
                }
            }
        }
        if (rc != SQLITE_DONE) throw DataError(sqlite3_errmsg(db_));
        return b.Finish();
    }

    sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const std::string& path) {
    return std::make_unique<SqliteProvider>(path);
}

}  // namespace orvane::data::detail
