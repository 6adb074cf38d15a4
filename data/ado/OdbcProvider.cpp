// The ODBC provider (unixODBC). Texts travel as UTF-16 (SQL_C_WCHAR) so that
// Unicode drivers such as the PostgreSQL one see the characters the user
// wrote; dates bind as ODBC date, time and timestamp structures. Schema and
// catalog results are read by column position, since drivers differ in the
// case of the column names. The statement handles of the last few texts stay
// prepared: running a text again closes its cursor, binds anew and executes.
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data::detail {
namespace {

static_assert(sizeof(SQLWCHAR) == 2, "texts are exchanged with the driver manager as UTF-16");

std::u16string ToUtf16(std::string_view s) {
    std::u16string out;
    for (char32_t cp : text::DecodeUtf8(s)) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void AppendUtf16(std::string& out, const SQLWCHAR* s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        text::AppendUtf8(out, cp);
    }
}

std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string out;
    SQLCHAR state[8];
    SQLCHAR message[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1; i <= 8; ++i) {
        SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        if (!out.empty()) out += "; ";
        out += text::Concat({"[", reinterpret_cast<char*>(state), "] ", reinterpret_cast<char*>(message)});
    }
    return out.empty() ? msg::kOdbcNoDescription : out;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) throw DataError(Diagnostics(type, handle));
}

// Said before the driver's text when a wait ran out.
std::string TimedOut(int seconds, const char* key) {
    return msg::TimedOut(seconds, key);
}

// A statement with the query timeout set (a driver without one ignores it).
class StatementHandle {
public:
    StatementHandle(SQLHDBC dbc, int timeout) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h_)))
            throw DataError(Diagnostics(SQL_HANDLE_DBC, dbc));
        SQLSetStmtAttr(h_, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout)), 0);
    }
    ~StatementHandle() { SQLFreeHandle(SQL_HANDLE_STMT, h_); }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;
    SQLHSTMT get() const { return h_; }
    void Check(SQLRETURN rc) const { detail::Check(rc, SQL_HANDLE_STMT, h_); }

private:
    SQLHSTMT h_ = SQL_NULL_HSTMT;
};

// MDBTools tells why it cannot open a file ("File not found") only on
// standard error, and gives ODBC no message. While it connects, the
// process's standard error goes to a temporary file; what was written there
// joins the error, or goes back to standard error when the connection opens
// (another thread may have written meanwhile).
class StderrCapture {
public:
    StderrCapture() : lock_(Mutex()) {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = file_ ? dup(STDERR_FILENO) : -1;
        if (saved_ >= 0 && dup2(fileno(file_), STDERR_FILENO) < 0) Restore();
    }
    ~StderrCapture() {
        const std::string left = Take() + "\n";
        if (left.size() > 1) (void)!write(STDERR_FILENO, left.data(), left.size());
        if (file_) std::fclose(file_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // The lines written since, joined by "; "; standard error is restored.
    std::string Take() {
        if (saved_ < 0) return "";
        Restore();
        std::string out, line;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            if (!text::TrimWhite(line).empty()) out += (out.empty() ? "" : "; ") + std::string(text::TrimWhite(line));
            line.clear();
        }
        if (!text::TrimWhite(line).empty()) out += (out.empty() ? "" : "; ") + std::string(text::TrimWhite(line));
        return out;
    }

private:
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    void Restore() {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }

    std::lock_guard<std::mutex> lock_;
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

bool IsMdbTools(const std::string& connectionString) {
    const std::string s = text::Lower(connectionString);
    return s.find("mdbtools") != std::string::npos || s.find("mdbodbc") != std::string::npos;
}

// Closes a kept handle's cursor and unbinds its parameters when a run ends,
// however it ends, so the next run starts clean.
class CloseOnExit {
public:
    explicit CloseOnExit(SQLHSTMT h) : h_(h) {}
    ~CloseOnExit() {
        SQLFreeStmt(h_, SQL_CLOSE);
        SQLFreeStmt(h_, SQL_RESET_PARAMS);
    }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    SQLHSTMT h_;
};

constexpr std::size_t kPreparedHandles = 8;

// Storage of one bound parameter, alive until the statement has run.
struct Slot {
    SQLLEN indicator = 0;
    std::int64_t integer = 0;
    double real = 0;
    unsigned char bit = 0;
    std::u16string wide;
    std::string bytes;
    SQL_DATE_STRUCT date{};
    SQL_TIME_STRUCT time{};
    SQL_TIMESTAMP_STRUCT stamp{};
};

DateTime FromStamp(const SQL_TIMESTAMP_STRUCT& t) {
    DateTime d;
    d.Year = t.year;
    d.Month = t.month;
    d.Day = t.day;
    d.Hour = t.hour;
    d.Minute = t.minute;
    d.Second = t.second;
    d.Nanosecond = static_cast<int>(t.fraction);
    return d;
}

// Digits of a fraction of a second worth sending: 123456000 ns has 6.
SQLSMALLINT FractionDigits(int nanoseconds) {
    if (nanoseconds <= 0) return 0;
    SQLSMALLINT digits = 9;
    while (nanoseconds % 10 == 0) nanoseconds /= 10, --digits;
    return digits;
}

enum class ReadAs { Bit, Integer, Real, Exact, Stamp, Time, Binary, Text, TextBool };

// The columns of a result: their names and how their cells are read.
struct Columns {
    std::vector<std::string> names;
    std::vector<ReadAs> kinds;
};

// A prepared handle kept for its text, with the columns of its first result
// once described. ODBC describes the result of a prepared statement, so they
// are described again only when the handle is prepared again or the count
// of columns changes.
struct KeptStatement {
    std::unique_ptr<StatementHandle> handle;
    std::optional<Columns> columns;
};

ReadAs ReadAsFor(SQLSMALLINT type, SQLULEN size, SQLSMALLINT scale) {
    switch (type) {
        case SQL_BIT:
            return ReadAs::Bit;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return ReadAs::Integer;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return scale == 0 && size > 0 && size <= 18 ? ReadAs::Integer : ReadAs::Exact;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ReadAs::Real;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_DATE:
        case SQL_TIMESTAMP:
            return ReadAs::Stamp;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return ReadAs::Time;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ReadAs::Binary;
        default:
            return ReadAs::Text;
    }
}

class OdbcProvider : public Provider {
public:
    OdbcProvider(const std::string& connectionString, int loginSeconds, int querySeconds)
        : queryTimeout_(querySeconds) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
            throw DataError(msg::kOdbcNotStarted);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
            std::string why = Diagnostics(SQL_HANDLE_ENV, env_);
            SQLFreeHandle(SQL_HANDLE_ENV, env_);
            throw DataError(why);
        }
        const auto seconds = [](int n) { return reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(n)); };
        SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, seconds(loginSeconds), 0);
        std::string cs = connectionString;
        SQLSMALLINT outLength = 0;
        std::optional<StderrCapture> driverSays;
        if (IsMdbTools(cs)) driverSays.emplace();
        const auto start = std::chrono::steady_clock::now();
        SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()), SQL_NTS, nullptr, 0,
                                        &outLength, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            std::string why = Diagnostics(SQL_HANDLE_DBC, dbc_);
            if (const std::string said = driverSays ? driverSays->Take() : ""; !said.empty())
                why = why == msg::kOdbcNoDescription ? said : why + "; " + said;
            if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(loginSeconds) ||
                why.starts_with("[HYT0"))
                why = TimedOut(loginSeconds, "Connect Timeout") + why;
            SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
            SQLFreeHandle(SQL_HANDLE_ENV, env_);
            throw DataError(why);
        }
        connected_ = true;
        SQLSetConnectAttr(dbc_, SQL_ATTR_CONNECTION_TIMEOUT, seconds(querySeconds), 0);
        SQLCHAR quote[8] = {0};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(dbc_, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &len)) && len == 1 &&
            quote[0] != ' ')
            quote_ = static_cast<char>(quote[0]);
    }

    ~OdbcProvider() override {
        prepared_.clear();
        if (connected_) SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }

    std::shared_ptr<Table> Execute(const std::string& sql, BoundValues params, std::size_t rowLimit) override {
        KeptStatement& kept = Prepared(sql);
        const StatementHandle& st = *kept.handle;
        CloseOnExit close(st.get());
        // The slots stay with the provider, so a walk does not allocate them
        // per query; Bind sets every field the binding reads.
        if (slots_.size() < params.size()) slots_.resize(params.size());
        for (std::size_t i = 0; i < params.size(); ++i)
            Bind(st, static_cast<SQLUSMALLINT>(i + 1), *params[i], slots_[i]);
        st.Check(SQLExecute(st.get()));
        if (ChangesSchema(sql)) ForgetAllBut(kept);
        for (bool first = true;; first = false) {
            SQLSMALLINT columns = 0;
            st.Check(SQLNumResultCols(st.get(), &columns));
            if (columns > 0) return Read(st, rowLimit, first ? &kept.columns : nullptr);
            SQLRETURN rc = SQLMoreResults(st.get());
            if (rc == SQL_NO_DATA) return nullptr;
            st.Check(rc);
        }
    }

    // Prepared and described without SQLExecute; the values are bound first
    // for drivers that need them to describe the result.
    std::vector<std::string> ResultColumns(const std::string& sql, BoundValues params) override {
        KeptStatement& kept = Prepared(sql);
        const StatementHandle& st = *kept.handle;
        if (slots_.size() < params.size()) slots_.resize(params.size());
        for (std::size_t i = 0; i < params.size(); ++i)
            Bind(st, static_cast<SQLUSMALLINT>(i + 1), *params[i], slots_[i]);
        SQLSMALLINT n = 0;
        st.Check(SQLNumResultCols(st.get(), &n));
        Columns described;
        Describe(st, n, described);
        return std::move(described.names);
    }

    std::string QuoteIdentifier(std::string_view name) const override {
        return quote_ ? QuoteWith(name, quote_) : std::string(name);
    }

    std::string ProcedureCall(std::string_view name, std::size_t paramCount) const override {
        std::string call = "{call " + std::string(name) + "(";
        for (std::size_t i = 0; i < paramCount; ++i) call += i ? ",?" : "?";
        return call + ")}";
    }

    std::shared_ptr<Table> Tables(std::size_t rowLimit) override {
        StatementHandle st(dbc_, queryTimeout_);
        SQLCHAR all[] = "%";
        st.Check(SQLTables(st.get(), nullptr, 0, nullptr, 0, all, SQL_NTS, nullptr, 0));
        const std::shared_ptr<Table> rawTable = Read(st, rowLimit, nullptr);
        const Table& raw = *rawTable;
        TableBuilder b(TableSchemaColumns(), rowLimit);
        for (std::size_t r = 0; r < raw.rows; ++r) {
            b.BeginRow();
            Put(b, raw, 0, r);  // catalog
            Put(b, raw, 1, r);  // schema
            Put(b, raw, 2, r);  // name
            Put(b, raw, 3, r);  // type
            b.Null();           // guid
            Put(b, raw, 4, r);  // remarks
            b.Null();
            b.Null();
            b.Null();
        }
        return b.Finish();
    }

    std::shared_ptr<Table> Procedures(std::size_t rowLimit) override {
        StatementHandle st(dbc_, queryTimeout_);
        SQLCHAR all[] = "%";
        st.Check(SQLProcedures(st.get(), nullptr, 0, nullptr, 0, all, SQL_NTS));
        const std::shared_ptr<Table> rawTable = Read(st, rowLimit, nullptr);
        const Table& raw = *rawTable;
        TableBuilder b(ProcedureSchemaColumns(), rowLimit);
        for (std::size_t r = 0; r < raw.rows; ++r) {
            b.BeginRow();
            Put(b, raw, 0, r);
            Put(b, raw, 1, r);
            Put(b, raw, 2, r);
            // ODBC counts 0 unknown, 1 procedure, 2 function; ADO one more.
            Variant type = raw.columns.size() > 7 ? raw.ValueAt(7, r) : Variant::MakeNull();
            if (auto n = type.ToNumber())
                b.Int(static_cast<std::int64_t>(*n) + 1);
            else
                b.Int(1);
            b.Null();
            Put(b, raw, 6, r);
            b.Null();
            b.Null();
        }
        return b.Finish();
    }

private:
    // The kept handle of a text, prepared now when it is not kept; the least
    // recently used beyond kPreparedHandles is freed. Raises when the driver
    // refuses the text (which is then not kept).
    // Drivers may keep what a prepared statement was when it was prepared,
    // so after this connection changes the schema the other kept handles are
    // prepared anew when next used. (A change made through another
    // connection is seen by texts prepared after it.)
    static bool ChangesSchema(std::string_view sql) {
        sql = text::TrimWhite(sql);
        for (std::string_view word : {"ALTER", "CREATE", "DROP"})
            if (sql.size() > word.size() && text::EqualsIgnoreCase(sql.substr(0, word.size()), word) &&
                !std::isalnum(static_cast<unsigned char>(sql[word.size()])) && sql[word.size()] != '_')
                return true;
        return false;
    }
    void ForgetAllBut(const KeptStatement& keep) {
        prepared_.remove_if([&](const auto& entry) { return &entry.second != &keep; });
    }

    KeptStatement& Prepared(const std::string& sql) {
        for (auto it = prepared_.begin(); it != prepared_.end(); ++it) {
            if (it->first != sql) continue;
            prepared_.splice(prepared_.end(), prepared_, it);
            return prepared_.back().second;
        }
        auto st = std::make_unique<StatementHandle>(dbc_, queryTimeout_);
        std::u16string wideSql = ToUtf16(sql);
        st->Check(SQLPrepareW(st->get(), reinterpret_cast<SQLWCHAR*>(wideSql.data()),
                              static_cast<SQLINTEGER>(wideSql.size())));
        if (prepared_.size() >= kPreparedHandles) prepared_.pop_front();
        prepared_.emplace_back(sql, KeptStatement{std::move(st), std::nullopt});
        return prepared_.back().second;
    }

    static void Put(TableBuilder& b, const Table& t, std::size_t col, std::size_t row) {
        if (col >= t.columns.size()) return b.Null();
        Variant v = t.ValueAt(col, row);
        switch (v.kind()) {
            case Variant::Kind::Int:
                return b.Int(*v.AsInt());
            case Variant::Kind::Double:
                return b.Double(*v.AsDouble());
            case Variant::Kind::Decimal:
                return b.Decimal(*v.AsDecimal());
            case Variant::Kind::Bool:
                return b.Bool(*v.AsBool());
            case Variant::Kind::Date:
                return b.Date(*v.AsDate());
            case Variant::Kind::Text:
                return b.Text(*v.AsText());
            default:
                return b.Null();
        }
    }

    void Bind(const StatementHandle& st, SQLUSMALLINT index, const BoundValue& v, Slot& s) {
        SQLSMALLINT cType = SQL_C_CHAR, sqlType = SQL_VARCHAR, digits = 0;
        SQLULEN size = 1;
        SQLPOINTER data = nullptr;
        SQLLEN bufferLength = 0;
        s.indicator = 0;  // the slot may hold an earlier query's NULL
        switch (v.kind) {
            case BoundValue::Kind::Null:
                s.indicator = SQL_NULL_DATA;
                break;
            case BoundValue::Kind::Int:
                s.integer = v.integer;
                cType = SQL_C_SBIGINT, sqlType = SQL_BIGINT, size = 19, data = &s.integer;
                break;
            case BoundValue::Kind::Double:
                s.real = v.real;
                cType = SQL_C_DOUBLE, sqlType = SQL_DOUBLE, size = 15, data = &s.real;
                break;
            case BoundValue::Kind::Bool:
                s.bit = v.integer ? 1 : 0;
                cType = SQL_C_BIT, sqlType = SQL_BIT, size = 1, data = &s.bit;
                break;
            case BoundValue::Kind::Text:
                s.wide = ToUtf16(v.text);
                s.indicator = static_cast<SQLLEN>(s.wide.size() * sizeof(SQLWCHAR));
                cType = SQL_C_WCHAR, sqlType = SQL_WVARCHAR, size = std::max<SQLULEN>(s.wide.size(), 1);
                data = s.wide.data(), bufferLength = s.indicator;
                break;
            case BoundValue::Kind::Decimal: {
                // As text, which the driver sends as the server's own decimal
                // literal: a double would send 3.1400000000000001.
                s.bytes = v.text;
                const auto d = Decimal::Parse(v.text);
                s.indicator = static_cast<SQLLEN>(s.bytes.size());
                cType = SQL_C_CHAR, sqlType = SQL_NUMERIC;
                size = d ? std::max<SQLULEN>(d->Precision(), static_cast<SQLULEN>(d->Scale())) : s.bytes.size();
                digits = d ? static_cast<SQLSMALLINT>(d->Scale()) : 0;
                data = s.bytes.data(), bufferLength = s.indicator;
                break;
            }
            case BoundValue::Kind::Binary:
                s.bytes = v.text;
                s.indicator = static_cast<SQLLEN>(s.bytes.size());
                cType = SQL_C_BINARY, sqlType = SQL_VARBINARY, size = std::max<SQLULEN>(s.bytes.size(), 1);
                data = s.bytes.data(), bufferLength = s.indicator;
                break;
            case BoundValue::Kind::Date:
                s.date = {static_cast<SQLSMALLINT>(v.date.Year), static_cast<SQLUSMALLINT>(v.date.Month),
                          static_cast<SQLUSMALLINT>(v.date.Day)};
                cType = SQL_C_TYPE_DATE, sqlType = SQL_TYPE_DATE, size = 10, data = &s.date;
                break;
            case BoundValue::Kind::Time:
                if (v.date.Nanosecond != 0) {
                    // ODBC's time struct has no fraction and drivers refuse a
                    // time type with one: sent as text, which the server reads
                    // as the time it is compared with.
                    s.bytes = v.date.TimeText();
                    s.indicator = static_cast<SQLLEN>(s.bytes.size());
                    cType = SQL_C_CHAR, sqlType = SQL_VARCHAR, size = s.bytes.size();
                    data = s.bytes.data(), bufferLength = s.indicator;
                    break;
                }
                s.time = {static_cast<SQLUSMALLINT>(v.date.Hour), static_cast<SQLUSMALLINT>(v.date.Minute),
                          static_cast<SQLUSMALLINT>(v.date.Second)};
                cType = SQL_C_TYPE_TIME, sqlType = SQL_TYPE_TIME, size = 8, data = &s.time;
                break;
            case BoundValue::Kind::Timestamp:
                s.stamp = {static_cast<SQLSMALLINT>(v.date.Year),      static_cast<SQLUSMALLINT>(v.date.Month),
                           static_cast<SQLUSMALLINT>(v.date.Day),      static_cast<SQLUSMALLINT>(v.date.Hour),
                           static_cast<SQLUSMALLINT>(v.date.Minute),   static_cast<SQLUSMALLINT>(v.date.Second),
                           static_cast<SQLUINTEGER>(v.date.Nanosecond)};
                digits = FractionDigits(v.date.Nanosecond);
                cType = SQL_C_TYPE_TIMESTAMP, sqlType = SQL_TYPE_TIMESTAMP, data = &s.stamp;
                size = 19 + (digits ? 1 + static_cast<SQLULEN>(digits) : 0);
                break;
        }
        const SQLRETURN rc = SQLBindParameter(st.get(), index, SQL_PARAM_INPUT, cType, sqlType, size, digits, data,
                                              bufferLength, &s.indicator);
        if (!SQL_SUCCEEDED(rc)) throw FailedStep(msg::kStepBind, Diagnostics(SQL_HANDLE_STMT, st.get()));
    }

    // The rows of the current result. `kept` holds the columns described for
    // this handle before (empty when none), or is null when they are not to
    // be kept.
    std::shared_ptr<Table> Read(const StatementHandle& st, std::size_t rowLimit, std::optional<Columns>* kept) {
        SQLSMALLINT n = 0;
        st.Check(SQLNumResultCols(st.get(), &n));
        Columns described;
        const Columns* columns =
            kept && *kept && (*kept)->names.size() == static_cast<std::size_t>(n) ? &**kept : nullptr;
        if (!columns) {
            Describe(st, n, described);
            if (kept) {
                *kept = std::move(described);
                columns = &**kept;
            } else {
                columns = &described;
            }
        }
        const std::vector<ReadAs>& kinds = columns->kinds;
        TableBuilder b(columns->names, rowLimit);
        std::string buffer;
        // A fetch or a cell that fails mid-result raises, naming the reading
        // step, rather than giving the rows read so far.
        try {
            while (true) {
                SQLRETURN rc = SQLFetch(st.get());
                if (rc == SQL_NO_DATA) break;
                st.Check(rc);
                b.BeginRow();
                for (SQLSMALLINT i = 1; i <= n; ++i)
                    ReadCell(st, static_cast<SQLUSMALLINT>(i), kinds[i - 1], b, buffer);
            }
        } catch (const DataError& e) {
            throw FailedStep(msg::kStepRead, e.what());
        }
        return b.Finish();
    }

    // psqlODBC describes a PostgreSQL boolean as a character column holding
    // "1" or "0" (its BoolsAsChar option, on by default); its type name
    // still says what it is.
    static bool IsBoolTypeName(const StatementHandle& st, SQLUSMALLINT col) {
        SQLCHAR name[32] = {0};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLColAttribute(st.get(), col, SQL_DESC_TYPE_NAME, name, sizeof name, &length, nullptr)))
            return false;
        const std::string_view type(reinterpret_cast<const char*>(name),
                                    std::min<std::size_t>(length, sizeof name - 1));
        return text::EqualsIgnoreCase(type, "bool") || text::EqualsIgnoreCase(type, "boolean");
    }

    static void Describe(const StatementHandle& st, SQLSMALLINT n, Columns& out) {
        for (SQLSMALLINT i = 1; i <= n; ++i) {
            SQLWCHAR name[256];
            SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
            SQLULEN size = 0;
            st.Check(SQLDescribeColW(st.get(), static_cast<SQLUSMALLINT>(i), name, 256, &nameLength, &type, &size,
                                     &scale, &nullable));
            std::string utf8;
            AppendUtf16(utf8, name, static_cast<std::size_t>(std::min<SQLSMALLINT>(nameLength, 255)));
            out.names.push_back(std::move(utf8));
            ReadAs as = ReadAsFor(type, size, scale);
            if (as == ReadAs::Text && IsBoolTypeName(st, static_cast<SQLUSMALLINT>(i))) as = ReadAs::TextBool;
            out.kinds.push_back(as);
        }
    }

    void ReadCell(const StatementHandle& st, SQLUSMALLINT col, ReadAs as, TableBuilder& b, std::string& buffer) {
        SQLLEN ind = 0;
        switch (as) {
            case ReadAs::Bit: {
                unsigned char v = 0;
                st.Check(SQLGetData(st.get(), col, SQL_C_BIT, &v, sizeof v, &ind));
                return ind == SQL_NULL_DATA ? b.Null() : b.Bool(v != 0);
            }
            case ReadAs::Integer: {
                std::int64_t v = 0;
                st.Check(SQLGetData(st.get(), col, SQL_C_SBIGINT, &v, sizeof v, &ind));
                return ind == SQL_NULL_DATA ? b.Null() : b.Int(v);
            }
            case ReadAs::Real: {
                double v = 0;
                st.Check(SQLGetData(st.get(), col, SQL_C_DOUBLE, &v, sizeof v, &ind));
                return ind == SQL_NULL_DATA ? b.Null() : b.Double(v);
            }
            case ReadAs::Stamp: {
                SQL_TIMESTAMP_STRUCT v{};
                st.Check(SQLGetData(st.get(), col, SQL_C_TYPE_TIMESTAMP, &v, sizeof v, &ind));
                return ind == SQL_NULL_DATA ? b.Null() : b.Date(FromStamp(v));
            }
            case ReadAs::Exact:
            case ReadAs::Time:
            case ReadAs::TextBool:
            case ReadAs::Binary:
            case ReadAs::Text:
                break;
        }
        // Decimals and times come as text: ODBC's time struct has no fraction
        // of a second and its numeric struct would need a conversion of ours.
        // A text that does not read as one (NaN, a time past 24 hours) stays text.
        if (as == ReadAs::Exact || as == ReadAs::Time || as == ReadAs::TextBool) {
            if (!ReadShortText(st, col, buffer)) return b.Null();
            if (as == ReadAs::TextBool) {
                const std::string t = text::LowerAscii(std::string(text::TrimWhite(buffer)));
                if (t == "1" || t == "-1" || t == "t" || t == "true") return b.Bool(true);
                if (t == "0" || t == "f" || t == "false") return b.Bool(false);
                return b.Text(buffer);
            }
            if (as == ReadAs::Exact) {
                if (auto d = Decimal::Parse(buffer)) return b.Decimal(*d);
            } else if (auto t = ParseDateText(buffer); t && t->IsTimeOnly()) {
                return b.Date(*t);
            }
            return b.Text(buffer);
        }
        const bool wide = as == ReadAs::Text;
        buffer.clear();
        wideBuffer_.clear();
        SQLWCHAR chunk[2048];
        bool isNull = false;
        while (true) {
            SQLRETURN rc = SQLGetData(st.get(), col, wide ? SQL_C_WCHAR : SQL_C_BINARY, chunk, sizeof chunk, &ind);
            if (rc == SQL_NO_DATA) break;
            st.Check(rc);
            if (ind == SQL_NULL_DATA) {
                isNull = true;
                break;
            }
            std::size_t bytes = sizeof chunk;
            const bool more = rc == SQL_SUCCESS_WITH_INFO &&
                              (ind == SQL_NO_TOTAL || ind > static_cast<SQLLEN>(bytes) - (wide ? 2 : 0));
            if (!more)
                bytes = static_cast<std::size_t>(ind);
            else if (wide)
                bytes -= sizeof(SQLWCHAR);  // room of the terminator
            if (wide)
                wideBuffer_.append(reinterpret_cast<const char16_t*>(chunk), bytes / sizeof(SQLWCHAR));
            else
                buffer.append(reinterpret_cast<const char*>(chunk), bytes);
            if (!more) break;
        }
        if (isNull) return b.Null();
        // Converted once at the end, so a surrogate pair split by a chunk
        // boundary comes out whole.
        if (wide) AppendUtf16(buffer, reinterpret_cast<const SQLWCHAR*>(wideBuffer_.data()), wideBuffer_.size());
        return b.Text(buffer);
    }

    // A cell's text of ASCII characters (numbers, times), read as bytes;
    // false for NULL.
    static bool ReadShortText(const StatementHandle& st, SQLUSMALLINT col, std::string& out) {
        out.clear();
        char chunk[512];
        while (true) {
            SQLLEN ind = 0;
            const SQLRETURN rc = SQLGetData(st.get(), col, SQL_C_CHAR, chunk, sizeof chunk, &ind);
            if (rc == SQL_NO_DATA) break;
            st.Check(rc);
            if (ind == SQL_NULL_DATA) return false;
            const bool more = rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind >= SQLLEN(sizeof chunk));
            out.append(chunk, more ? sizeof chunk - 1 : static_cast<std::size_t>(ind));
            if (!more) break;
        }
        return true;
    }

    std::u16string wideBuffer_;
    std::list<std::pair<std::string, KeptStatement>> prepared_;
    std::vector<Slot> slots_;  // the bound parameters' storage
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    int queryTimeout_;
    bool connected_ = false;
    char quote_ = '"';
};

}  // namespace

std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString, int loginSeconds, int querySeconds) {
    return std::make_unique<OdbcProvider>(connectionString, loginSeconds, querySeconds);
}

}  // namespace orvane::data::detail
