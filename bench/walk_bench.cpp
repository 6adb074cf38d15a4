// Master-detail walk: a report whose top record source lists the parents and
// whose child record source is re-queried for every parent, walked with
// EOF_All / MoveNext_All while the child's rows are read and their amount
// summed. The database is an SQLite file of 20,000 parents with 10 children
// each. Two ways of linking the child are timed: a parameter macro written
// into the SQL text (@IdParent) and a bound parameter (SendParameters, "?").
// Each is set against a hand-written loop over the SQLite C API doing the
// same (a fresh statement per parent for the macro, one statement re-bound
// for the bound kind; once holding one read over the walk, as a loop over an
// open parents' statement does, and once holding nothing between parents, as
// our walk does so that writers go in between its steps) and against
// Python's sqlite3 module (bench/walk_peer.py,
// timed inside Python). When the Python module is built, the same walk
// through orvanespt's Report.walk (bench/walk_module.py), summing the amounts
// from its steps, is set against both: faster than the sqlite3 loop and
// within twice our C++ walk. The bound kind also runs through ODBC with the
// sqliteodbc driver against a hand-written ODBC loop. Prints the ratios
// (ours / peer) and their targets.
//
// "repeat" walks parents whose link takes 50 values, each over a run of
// consecutive parents (a lookup child linked by a repeating code), keeping the
// child's rows while its link repeats (ReuseRows, the default) against
// re-querying it for every parent; the kept walk is to be 5 times as fast.
//
// Usage: walk_bench [parents] [macro|bound|odbc|repeat]   (default 20000, every kind)
// Naming one kind runs only that one, which lets a profiler count the
// instructions of each walk apart.
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>

using namespace orvane;

namespace {

const char* const kOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
const char* const kTopSql = "SELECT id, name FROM parents ORDER BY id";
const char* const kChildMacroSql = "SELECT n, amount FROM children WHERE parent_id = @IdParent";
const char* const kChildBoundSql = "SELECT n, amount FROM children WHERE parent_id = ?";
constexpr int kChildren = 10;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "walk_bench: %s\n", what.c_str());
    std::exit(1);
}

// Amounts are multiples of 0.25, so every sum is exact whatever the order.
void MakeDatabase(const std::string& path, long parents) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) Fail("cannot create " + path);
    const char* schema =
        "CREATE TABLE parents(id INTEGER PRIMARY KEY, name TEXT);"
        "CREATE TABLE children(parent_id INTEGER, n INTEGER, amount REAL);"
        "BEGIN;";
    if (sqlite3_exec(db, schema, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
    sqlite3_stmt* parent = nullptr;
    sqlite3_stmt* child = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO parents VALUES (?, ?)", -1, &parent, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO children VALUES (?, ?, ?)", -1, &child, nullptr);
    for (long id = 1; id <= parents; ++id) {
        const std::string name = "parent " + std::to_string(id);
        sqlite3_bind_int64(parent, 1, id);
        sqlite3_bind_text(parent, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(parent);
        sqlite3_reset(parent);
        for (int n = 1; n <= kChildren; ++n) {
            sqlite3_bind_int64(child, 1, id);
            sqlite3_bind_int(child, 2, n);
            sqlite3_bind_double(child, 3, static_cast<double>((id * 7 + n * 13) % 1000) / 4.0);
            sqlite3_step(child);
            sqlite3_reset(child);
        }
    }
    sqlite3_finalize(parent);
    sqlite3_finalize(child);
    if (sqlite3_exec(db, "COMMIT; CREATE INDEX children_parent ON children(parent_id); ANALYZE;", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(db));
    sqlite3_close(db);
}

// --- Ours -------------------------------------------------------------------

struct Walk {
    std::shared_ptr<Orvane> rpt = std::make_shared<Orvane>();
    std::shared_ptr<eRSource> top = std::make_shared<eRSource>();
    std::shared_ptr<eRSource> child = std::make_shared<eRSource>();
};

// A report over cnnString whose child is linked by the macro or, when bound,
// by SendParameters, to the top's field link; its connection is open.
std::unique_ptr<Walk> MakeReport(const std::string& cnnString, bool bound, const std::string& topSql = kTopSql,
                                 const char* link = "id") {
    auto w = std::make_unique<Walk>();
    auto cnn = std::make_shared<eConnection>();
    cnn->Name = "walk";
    cnn->cnnString = cnnString;
    w->rpt->AddConnection(cnn);

    auto p = std::make_shared<eParameter>();
    p->Name = "IdParent";
    p->eType("adInteger");
    w->rpt->eParameters->Add(p);

    w->top->Name = "parents";
    w->top->SQLCommand = topSql;
    w->top->TypeofCommand = "1";
    w->top->eFieldNametoParameters = link;
    w->top->idParameterLinked = "IdParent";
    w->top->eCnn = cnn;
    cnn->eRSources->Add(w->top);

    w->child->Name = "children";
    w->child->SQLCommand = bound ? kChildBoundSql : kChildMacroSql;
    w->child->TypeofCommand = "1";
    if (bound) w->child->SendParameters = "IdParent";
    w->child->eCnn = cnn;
    w->top->eRSources->Add(w->child);

    if (!cnn->OpenConnection()) Fail("cannot open " + cnnString + ": " + cnn->LastOpenError);
    return w;
}

double WalkOurs(Walk& w) {
    if (!w.top->OpenRecordsource()) Fail("OpenRecordsource: " + w.top->LastOpenError);
    double sum = 0;
    while (!w.rpt->EOF_All()) {
        if (auto rs = w.child->ADORecordset) {
            rs->MoveFirst();
            for (; !rs->Eof(); rs->MoveNext()) sum += rs->Fields()("amount").Value().ToNumber().value_or(0);
        }
        w.rpt->MoveNext_All();
    }
    return sum;
}

// --- Hand-written SQLite C loops ---------------------------------------------

double SumChildRows(sqlite3_stmt* st, std::int64_t& nSum) {
    double sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        nSum += sqlite3_column_int64(st, 0);
        sum += sqlite3_column_double(st, 1);
    }
    return sum;
}

// The children of each parent. The parents' statement stays open over the
// walk, holding one read transaction from the first parent to the last; with
// holdNothing the parents are read first, and each child query takes and
// drops the database lock itself, as a walk that lets writers in between its
// steps must.
double WalkSqlite(sqlite3* db, bool bound, bool holdNothing = false) {
    sqlite3_stmt* top = nullptr;
    if (sqlite3_prepare_v2(db, kTopSql, -1, &top, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
    sqlite3_stmt* child = nullptr;
    if (bound && sqlite3_prepare_v2(db, kChildBoundSql, -1, &child, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
    double sum = 0;
    std::int64_t nSum = 0;
    std::size_t nameBytes = 0;
    const auto children = [&](sqlite3_int64 id) {
        if (bound) {
            sqlite3_reset(child);
            sqlite3_bind_int64(child, 1, id);
            sum += SumChildRows(child, nSum);
            return;
        }
        char sql[96];
        std::snprintf(sql, sizeof sql, "SELECT n, amount FROM children WHERE parent_id = %lld",
                      static_cast<long long>(id));
        if (sqlite3_prepare_v2(db, sql, -1, &child, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
        sum += SumChildRows(child, nSum);
        sqlite3_finalize(child);
    };
    std::vector<sqlite3_int64> ids;
    while (sqlite3_step(top) == SQLITE_ROW) {
        nameBytes += static_cast<std::size_t>(sqlite3_column_bytes(top, 1));
        if (holdNothing)
            ids.push_back(sqlite3_column_int64(top, 0));
        else
            children(sqlite3_column_int64(top, 0));
    }
    sqlite3_reset(top);
    for (const sqlite3_int64 id : ids) children(id);
    if (bound) sqlite3_finalize(child);
    sqlite3_finalize(top);
    return nameBytes + nSum > 0 ? sum : -1;
}

// --- Hand-written ODBC loop ----------------------------------------------------

SQLCHAR* Sql(const char* text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

bool Ok(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

struct OdbcConnection {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;

    explicit OdbcConnection(const std::string& cnnString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        if (!Ok(SQLDriverConnect(dbc, nullptr, Sql(cnnString.c_str()), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT)))
            Fail("SQLDriverConnect refused " + cnnString);
    }
    ~OdbcConnection() {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;
};

double WalkOdbc(const OdbcConnection& c) {
    SQLHSTMT top = SQL_NULL_HSTMT;
    SQLHSTMT child = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &top);
    SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &child);
    if (!Ok(SQLPrepare(child, Sql(kChildBoundSql), SQL_NTS))) Fail("SQLPrepare failed");
    SQLBIGINT id = 0;
    SQLLEN idInd = 0;
    SQLBindParameter(child, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &id, 0, &idInd);
    if (!Ok(SQLExecDirect(top, Sql(kTopSql), SQL_NTS))) Fail("SQLExecDirect failed");
    double sum = 0;
    std::int64_t nSum = 0;
    std::size_t nameBytes = 0;
    while (Ok(SQLFetch(top))) {
        char name[64];
        SQLLEN ind = 0;
        SQLGetData(top, 1, SQL_C_SBIGINT, &id, 0, &ind);
        SQLGetData(top, 2, SQL_C_CHAR, name, sizeof name, &ind);
        if (ind > 0) nameBytes += static_cast<std::size_t>(ind);
        if (!Ok(SQLExecute(child))) Fail("SQLExecute failed");
        while (Ok(SQLFetch(child))) {
            SQLBIGINT n = 0;
            double amount = 0;
            SQLGetData(child, 1, SQL_C_SBIGINT, &n, 0, &ind);
            SQLGetData(child, 2, SQL_C_DOUBLE, &amount, 0, &ind);
            nSum += n;
            sum += amount;
        }
        SQLCloseCursor(child);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, child);
    SQLFreeHandle(SQL_HANDLE_STMT, top);
    return nameBytes + nSum > 0 ? sum : -1;
}

// --- Python -------------------------------------------------------------------

// walk_peer.py beside this program's sources: found from the executable
// (build/bench/walk_bench) or from the working folder.
std::string PeerScript() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    for (const fs::path& candidate : {exe.parent_path() / "../../bench/walk_peer.py", fs::path("bench/walk_peer.py"),
                                      fs::path(__FILE__).parent_path() / "walk_peer.py"})
        if (fs::exists(candidate, ec)) return fs::weakly_canonical(candidate, ec).string();
    return "";
}

// The Python walk's cold and best times, read from the script's output; false
// when it did not run.
bool RunPython(const std::string& script, const std::string& db, const char* kind, bench::Timing& t, double& sum,
               const std::string& before = "python3") {
    const std::string command = before + " '" + script + "' '" + db + "' " + kind + " 5";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return false;
    const int read = std::fscanf(p, "%lf %lf %lf", &t.first, &t.warm, &sum);
    return pclose(p) == 0 && read == 3;
}

void CheckSum(const char* what, double ours, double peer) {
    if (std::fabs(ours - peer) > 1e-9 * std::fabs(peer))
        std::printf("  sums differ (%s): ours %.17g, peer %.17g\n", what, ours, peer);
}

}  // namespace

int main(int argc, char** argv) {
    const long parents = argc > 1 ? std::atol(argv[1]) : 20000L;
    if (parents <= 0) Fail("the number of parents must be positive");
    const std::string only = argc > 2 ? argv[2] : "";
    if (!only.empty() && only != "macro" && only != "bound" && only != "odbc" && only != "repeat")
        Fail("the kind must be macro, bound, odbc or repeat, not '" + only + "'");
    const auto runs = [&](const char* kind) { return only.empty() || only == kind; };
    std::printf("%s\n%ld parents x %d children\n", bench::MachineLine().c_str(), parents, kChildren);

    char folder[] = "/tmp/walk_bench.XXXXXX";
    if (!mkdtemp(folder)) Fail("cannot make a temporary folder");
    const std::string dbPath = std::string(folder) + "/walk.db";
    MakeDatabase(dbPath, parents);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) Fail("cannot open " + dbPath);
    const std::string script = PeerScript();
    const std::string sqliteString = "Provider=SQLite;Data Source=" + dbPath;

    struct Kind {
        const char* name;
        const char* pyKind;
        bool bound;
    };
    for (const Kind& k : {Kind{"macro (@IdParent)", "macro", false}, Kind{"bound (SendParameters)", "bound", true}}) {
        if (!runs(k.pyKind)) continue;
        auto walk = MakeReport(sqliteString, k.bound);
        double ours = 0, peer = 0;
        auto o = bench::Measure([&] { ours = WalkOurs(*walk); });
        auto p = bench::Measure([&] { peer = WalkSqlite(db, k.bound); });
        bench::PrintRow((std::string(k.name) + " vs C").c_str(), o, p, 1.25);
        CheckSum("C", ours, peer);
        auto n = bench::Measure([&] { peer = WalkSqlite(db, k.bound, true); });
        bench::PrintRow((std::string(k.name) + " vs C, no hold").c_str(), o, n, 1.25);
        CheckSum("C, no hold", ours, peer);

        bench::Timing py;
        double pySum = 0;
        if (script.empty())
            std::printf("%-34s skipped: walk_peer.py not found\n", (std::string(k.name) + " vs Python").c_str());
        else if (!RunPython(script, dbPath, k.pyKind, py, pySum))
            std::printf("%-34s skipped: python3 %s did not run\n", (std::string(k.name) + " vs Python").c_str(),
                        script.c_str());
        else {
            bench::PrintRow((std::string(k.name) + " vs Python").c_str(), o, py, 1.0);
            CheckSum("Python", ours, pySum);
        }
#ifdef ORVANE_PYTHON_DIR
        // The module built with this program, run by the interpreter it was built for.
        bench::Timing mod;
        double modSum = 0;
        const std::string modScript = script.empty() ? "" : script.substr(0, script.rfind('/') + 1) + "walk_module.py";
        if (modScript.empty() || !RunPython(modScript, dbPath, k.pyKind, mod, modSum,
                                            "PYTHONPATH='" ORVANE_PYTHON_DIR "' '" ORVANE_PYTHON "'")) {
            std::printf("%-34s skipped: walk_module.py did not run\n", "orvanespt");
        } else if (!script.empty()) {
            const std::string cpu = bench::CpuModel();
            bench::PrintRow((std::string(k.name) + " Report.walk vs sqlite3").c_str(), mod, py, 1.0, false, cpu);
            bench::PrintRow((std::string(k.name) + " Report.walk vs C++").c_str(), mod, o, 2.0, false, cpu);
            CheckSum("Report.walk", ours, modSum);
        }
#endif
    }
    sqlite3_close(db);

    if (runs("repeat")) {
        // Codes 1 to 50 in runs of consecutive parents; the child reads the
        // children of the parent whose id is the code.
        const std::string top =
            "SELECT id, name, (id - 1) * 50 / " + std::to_string(parents) + " + 1 AS code FROM parents ORDER BY id";
        auto kept = MakeReport(sqliteString, true, top, "code");
        auto requeried = MakeReport(sqliteString, true, top, "code");
        requeried->child->ReuseRows = false;
        double keptSum = 0, requeriedSum = 0;
        auto k = bench::Measure([&] { keptSum = WalkOurs(*kept); });
        auto r = bench::Measure([&] { requeriedSum = WalkOurs(*requeried); });
        bench::PrintRow("repeated link, kept vs re-queried", k, r, 0.2);
        std::printf("  kept rows: %.1f times as fast (target >= 5)\n", r.warm / k.warm);
        CheckSum("re-queried", keptSum, requeriedSum);
    }

    if (!runs("odbc")) {
    } else if (!std::filesystem::exists(kOdbcDriver)) {
        std::printf("%-34s skipped: %s is not installed\n", "ODBC bound vs C", kOdbcDriver);
    } else {
        const std::string odbcString = std::string("Driver=") + kOdbcDriver + ";Database=" + dbPath + ";";
        auto walk = MakeReport(odbcString, true);
        OdbcConnection c(odbcString);
        double ours = 0, peer = 0;
        auto o = bench::Measure([&] { ours = WalkOurs(*walk); }, 3);
        auto p = bench::Measure([&] { peer = WalkOdbc(c); }, 3);
        bench::PrintRow("ODBC bound vs ODBC C", o, p, 1.2);
        CheckSum("ODBC", ours, peer);
    }

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
