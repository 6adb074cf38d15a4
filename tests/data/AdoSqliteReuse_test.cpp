// The SQLite provider's kept statements, held reads and read state: a text
// run again gives the rows of its new parameter values and of the database
// as it is now, a failed run leaves nothing behind, a held read transaction
// is released by its token's last copy and by a write, and the read state
// changes with every commit, of any connection, and only then.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/model/Orvane.h>
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;

namespace {

struct TwoConnections {
    orvane::testing::ScratchDir dir;
    std::string path = dir.file("reuse.db");
    std::shared_ptr<Connection> cnn = std::make_shared<Connection>();
    sqlite3* other = nullptr;  // a second, plain connection: the other writer

    explicit TwoConnections(const std::string& journal = "DELETE") {
        orvane::testing::MakeDatabase(path, "PRAGMA journal_mode=" + journal +
                                                "; CREATE TABLE t(n INTEGER, s TEXT); INSERT INTO t VALUES "
                                                "(1,'a'),(2,'b'),(3,'c');");
        cnn->Open("Provider=SQLite;Data Source=" + path, "", "");
        sqlite3_open(path.c_str(), &other);
    }
    ~TwoConnections() { sqlite3_close(other); }

    // The other connection's write: SQLITE_OK, or SQLITE_BUSY while a read is held.
    int OtherWrites(const std::string& sql) { return sqlite3_exec(other, sql.c_str(), nullptr, nullptr, nullptr); }
};

using orvane::testing::Execute;

// The first column of every row, as text.
std::string Rows(const std::shared_ptr<Connection>& cnn, const std::string& sql, std::vector<Variant> values = {}) {
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = sql;
    for (const Variant& v : values) {
        auto p = cmd.CreateParameter("p", 12);
        p->Value(v);
        cmd.Parameters().Append(p);
    }
    auto rs = cmd.Execute();
    std::string out;
    if (!rs || rs->State() != 1) return "<closed>";
    for (; !rs->Eof(); rs->MoveNext()) out += rs->Fields()(0).Value().TextOr("<null>") + ";";
    return out;
}

}  // namespace

TEST(AdoSqliteReuse, ATextRunAgainSeesItsNewValuesAndTheDatabaseAsItIsNow) {
    TwoConnections c;
    const std::string sql = "SELECT s FROM t WHERE n >= ? ORDER BY n";
    EXPECT_EQ(Rows(c.cnn, sql, {2}), "b;c;");
    EXPECT_EQ(Rows(c.cnn, sql, {Variant::MakeNull()}), "");               // a NULL bound, not the last value kept
    ASSERT_EQ(c.OtherWrites("INSERT INTO t VALUES (4,'d')"), SQLITE_OK);  // no lock left by the runs
    EXPECT_EQ(Rows(c.cnn, sql, {3}), "c;d;");

    // More texts than are kept, then the first again.
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Rows(c.cnn, "SELECT " + std::to_string(i)), std::to_string(i) + ";");
    EXPECT_EQ(Rows(c.cnn, sql, {4}), "d;");

    // Closing finalizes the kept statements; a reopened connection prepares anew.
    c.cnn->Close();
    c.cnn->Open();
    EXPECT_EQ(Rows(c.cnn, sql, {1}), "a;b;c;d;");

    // A column renamed under a kept statement: SQLite prepares it again, and
    // its columns are described again.
    const auto secondName = [&c] {
        Command cmd;
        cmd.ActiveConnection = c.cnn;
        cmd.CommandText = "SELECT * FROM t";
        return cmd.Execute()->Fields()(1).Name();
    };
    EXPECT_EQ(secondName(), "s");
    ASSERT_EQ(c.OtherWrites("ALTER TABLE t RENAME COLUMN s TO letra"), SQLITE_OK);
    EXPECT_EQ(secondName(), "letra");
}

TEST(AdoSqliteReuse, AFailedRunLeavesTheKeptStatementClean) {
    TwoConnections c;
    const std::string sql = "SELECT n FROM t WHERE n >= ?";
    c.cnn->RowLimit = 2;
    EXPECT_THROW(Rows(c.cnn, sql, {1}), DataError);  // stopped while reading the third row
    EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (0,'z')"), SQLITE_OK);
    EXPECT_EQ(Rows(c.cnn, sql, {3}), "3;");             // from the start, not where the failed run stopped
    EXPECT_THROW(Rows(c.cnn, sql, {3, 2}), DataError);  // one value too many: refused after the run
    EXPECT_EQ(Rows(c.cnn, sql, {2}), "2;3;");
    EXPECT_THROW(Rows(c.cnn, sql), DataError);  // too few: refused before binding
}

TEST(AdoSqliteReuse, TheReadStateChangesWithEveryCommitAndOnlyThen) {
    for (const char* journal : {"DELETE", "WAL"}) {
        SCOPED_TRACE(journal);
        TwoConnections c(journal);
        const bool wal = std::string(journal) == "WAL";
        std::vector<std::uint64_t> states{c.cnn->ReadState()};
        // Asking takes no lock, nor does reading.
        EXPECT_EQ(Rows(c.cnn, "SELECT count(*) FROM t"), "3;");
        EXPECT_EQ(c.cnn->ReadState(), states.back());
        const auto changed = [&](const char* what) {
            const std::uint64_t now = c.cnn->ReadState();
            EXPECT_NE(now, 0u) << what;
            EXPECT_EQ(std::count(states.begin(), states.end(), now), 0) << what;
            EXPECT_EQ(c.cnn->ReadState(), now) << what;
            states.push_back(now);
        };
        ASSERT_EQ(c.OtherWrites("INSERT INTO t VALUES (4,'d')"), SQLITE_OK);
        changed("another connection's commit");
        ASSERT_EQ(c.OtherWrites("BEGIN; INSERT INTO t VALUES (5,'e'); ROLLBACK;"), SQLITE_OK);
        EXPECT_EQ(c.cnn->ReadState(), states.back());  // nothing committed
        Rows(c.cnn, "UPDATE t SET s = 'x' WHERE n = 99");
        changed("a write of its own, even of no row");
        Rows(c.cnn, "CREATE TABLE u(n)");
        changed("a table of its own");

        // A step's held read keeps other writers waiting in the rollback
        // journal modes, and lets them in when it ends.
        auto token = c.cnn->HoldReads();
        EXPECT_EQ(Rows(c.cnn, "SELECT count(*) FROM t"), "4;");
        EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (6,'f')"), wal ? SQLITE_OK : SQLITE_BUSY);
        EXPECT_EQ(Rows(c.cnn, "INSERT INTO t VALUES (7,'g')"), "<closed>");  // a write of its own lets go first
        token.reset();
        EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (8,'h')"), SQLITE_OK);
        changed("after a held read");

        // Attached databases are not watched; a connection opened again starts anew.
        Rows(c.cnn, "ATTACH ':memory:' AS other");
        EXPECT_EQ(c.cnn->ReadState(), 0u);
        c.cnn->Close();
        EXPECT_EQ(c.cnn->ReadState(), 0u);
        EXPECT_EQ(c.cnn->HoldReads(), nullptr);
        c.cnn->Open();
        changed("opened again");
    }
    // A memory database is written by its own connection alone.
    auto memory = std::make_shared<Connection>();
    memory->Open("Provider=SQLite;Data Source=:memory:", "", "");
    const std::uint64_t before = memory->ReadState();
    EXPECT_NE(before, 0u);
    EXPECT_EQ(memory->ReadState(), before);
    Rows(memory, "CREATE TABLE t(n)");
    EXPECT_NE(memory->ReadState(), before);
}

TEST(AdoSqliteReuse, AResultOutlivesTheThreadThatReadIt) {
    TwoConnections c;
    std::shared_ptr<Recordset> kept;
    std::thread([&] {
        kept = Execute(c.cnn, "SELECT s FROM t ORDER BY n DESC");
        Execute(c.cnn, "SELECT n FROM t");  // released there, while the thread still runs
    }).join();
    // Read and released here, after that thread and its spare storage are gone.
    ASSERT_EQ(kept->RecordCount(), 3u);
    EXPECT_EQ(kept->Fields()(0).Value().TextOr(), "c");
    kept.reset();
    EXPECT_EQ(Rows(c.cnn, "SELECT s FROM t WHERE n = 1"), "a;");
}

TEST(AdoSqliteReuse, AFieldNameSharedByTwoColumnsIgnoringCaseAlwaysFindsTheFirst) {
    TwoConnections c;
    auto rs = Execute(c.cnn, "SELECT 1 AS Amount, 2 AS amount, 3 AS other");
    for (const char* asked : {"amount", "other", "AMOUNT", "amount", "Amount", "amount"}) {
        const std::string expected = std::string(asked) == "other" ? "3" : "1";
        EXPECT_EQ(rs->Fields()(asked).Value().TextOr(), expected) << asked;
    }
    EXPECT_EQ(rs->Fields()(1).Value().TextOr(), "2");
    EXPECT_THROW(rs->Fields()("amoun"), DataError);
}

// A walk reads a child's rows ahead in batches, several queries in one go.
// One record's query fails there for real (its value is longer than the
// database takes): the batch stops at it, that record runs its query again
// and reports the failure itself, and every step shows what a walk that
// runs each query at its own record shows; bound or by a macro (the later
// records take turns between two values, so that a batch runs texts the
// one before kept), traced or not (a traced batch runs its queries one by
// one, each shown first).
TEST(AdoSqliteReuse, AReadAheadThatFailsAtOneRecordShowsWhatQueryingEachRecordShows) {
    sqlite3* opened = nullptr;
    const auto previous = data::detail::RegisterProvider("Corto", [&opened](const data::detail::ProviderRequest& r) {
        auto p = data::detail::OpenSqliteProvider(r.Find("Data Source")->value, r.commandTimeout);
        opened = data::detail::SqliteHandle(*p);
        return p;
    });
    const struct {
        const char* sql;
        const char* send;
        const char* failure;
    } children[] = {{"SELECT ? AS eco", "pNombre", "no se pudo enlazar los parámetros: string or blob too big"},
                    {"SELECT @pNombre AS eco", "", "no se pudo ejecutar la consulta: string or blob too big"}};
    for (const auto& c : children) {
        for (const bool trace : {false, true}) {
            SCOPED_TRACE(std::string(c.sql) + (trace ? ", traced" : ""));
            std::string shown[2];
            std::vector<std::string> traced[2];
            for (const bool reuse : {true, false}) {
                orvane::testing::SalesReport s;
                s.cnn->cnnString = "Provider=Corto;Data Source=" + s.dbPath;
                std::string clients = "DELETE FROM clientes;";
                for (int id = 1; id <= 14; ++id)
                    clients += "INSERT INTO clientes VALUES (" + std::to_string(id) + ", '" +
                               (id == 6 ? std::string(40, 'x') : "c" + std::to_string(id < 7 ? id : 8 - id % 2)) +
                               "', '');";
                orvane::testing::MakeDatabase(s.dbPath, clients);
                s.Param("pNombre", "adVarChar", "");
                auto top = s.Source("Clientes", "SELECT id, nombre FROM clientes ORDER BY id");
                std::tie(top->eFieldNametoParameters, top->idParameterLinked) = std::pair("nombre", "pNombre");
                auto child = s.Source("Eco", c.sql, top);
                child->SendParameters = c.send;
                child->ReuseRows = reuse;
                ASSERT_TRUE(s.cnn->OpenConnection());
                if (trace)
                    s.cnn->ADOCnn->Trace = [&](const std::string& sql, const auto& values) {
                        traced[reuse].push_back(values.empty() ? sql : values[0].second.TextOr());
                    };
                ASSERT_TRUE(top->OpenRecordsource()) << top->LastOpenError;
                sqlite3_limit(opened, SQLITE_LIMIT_LENGTH, 30);
                for (; !s.rpt->EOF_All(); s.rpt->MoveNext_All()) {
                    shown[reuse] += "|" + child->LastOpenError;
                    for (const auto& row : orvane::testing::Rows(child->ADORecordset)) shown[reuse] += row;
                }
            }
            EXPECT_EQ(shown[true], shown[false]);
            EXPECT_NE(shown[true].find("|c4|c5|" + std::string(c.failure) + "|c7|"), std::string::npos) << shown[true];
            if (!trace || c.send[0] == '\0') continue;
            // Each record's value, the long one three times: read ahead by
            // the batch that stopped at it and by the next, which begins
            // with it, then at its own record.
            const std::string& longName = traced[false].at(6);
            EXPECT_EQ(std::count(traced[true].begin(), traced[true].end(), longName), 3);
            for (auto& names : traced) names.erase(std::unique(names.begin(), names.end()), names.end());
            EXPECT_EQ(traced[true], traced[false]);
        }
    }
    data::detail::RegisterProvider("Corto", previous);
}

// A host that holds the reads of a walk's connection keeps them held across
// the walk's steps, which hold and let go of their own: another connection
// waits until the host lets its token go.
TEST(AdoSqliteReuse, AHostsHoldOutlastsTheStepsOfAWalk) {
    orvane::testing::SalesReport s;
    auto [clientes, pedidos] = s.ClientsAndOrders("SELECT id FROM pedidos WHERE cliente_id = ?");
    pedidos->SendParameters = "pCliente";
    pedidos->ReuseRows = false;  // every step runs its query
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(clientes->OpenRecordsource());
    sqlite3* other = nullptr;
    sqlite3_open(s.dbPath.c_str(), &other);
    const auto otherWrites = [other] {
        return sqlite3_exec(other, "INSERT INTO pedidos VALUES (20, 9, 1, '')", nullptr, nullptr, nullptr);
    };
    auto token = s.cnn->ADOCnn->HoldReads();
    ASSERT_TRUE(s.rpt->MoveNext_All());
    EXPECT_EQ(otherWrites(), SQLITE_BUSY);
    token.reset();
    EXPECT_EQ(otherWrites(), SQLITE_OK);
    ASSERT_TRUE(s.rpt->MoveNext_All());
    EXPECT_EQ(otherWrites(), SQLITE_OK);  // the step let its own hold go
    sqlite3_close(other);
}

namespace {

// The default VFS, counting the shared locks taken on main database files
// (each is a read transaction begun, several system calls) and timing the
// longest held.
struct LockCounter {
    struct File {
        sqlite3_file base;
        sqlite3_file* real;  // right after this struct, in the same block
        bool mainDb;
    };
    static inline sqlite3_vfs* real = nullptr;
    static inline int sharedLocks = 0;
    static inline bool locked = false;
    static inline std::chrono::steady_clock::time_point lockedAt;
    static inline std::chrono::steady_clock::duration longestHold{};
    static inline sqlite3_io_methods io{};
    sqlite3_vfs vfs{};

    static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }
    // The io method M of the wrapped file, called with the same arguments.
    template <auto M>
    struct Forward;
    template <typename R, typename... A, R (*sqlite3_io_methods::*M)(sqlite3_file*, A...)>
    struct Forward<M> {
        static R Call(sqlite3_file* f, A... a) { return (Real(f)->pMethods->*M)(Real(f), a...); }
    };

    LockCounter() {
        real = sqlite3_vfs_find(nullptr);
        vfs = *real;
        vfs.zName = "compteur";
        vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
        vfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* opened, int flags, int* out) {
            auto* file = reinterpret_cast<File*>(opened);
            file->base.pMethods = nullptr;
            file->real = reinterpret_cast<sqlite3_file*>(file + 1);
            file->mainDb = flags & SQLITE_OPEN_MAIN_DB;
            const int rc = real->xOpen(real, name, file->real, flags, out);
            if (rc != SQLITE_OK || !file->real->pMethods) return rc;
            io = *file->real->pMethods;  // the same for every file of the default VFS
            io.xClose = Forward<&sqlite3_io_methods::xClose>::Call;
            io.xRead = Forward<&sqlite3_io_methods::xRead>::Call;
            io.xWrite = Forward<&sqlite3_io_methods::xWrite>::Call;
            io.xTruncate = Forward<&sqlite3_io_methods::xTruncate>::Call;
            io.xSync = Forward<&sqlite3_io_methods::xSync>::Call;
            io.xFileSize = Forward<&sqlite3_io_methods::xFileSize>::Call;
            io.xCheckReservedLock = Forward<&sqlite3_io_methods::xCheckReservedLock>::Call;
            io.xFileControl = Forward<&sqlite3_io_methods::xFileControl>::Call;
            io.xSectorSize = Forward<&sqlite3_io_methods::xSectorSize>::Call;
            io.xDeviceCharacteristics = Forward<&sqlite3_io_methods::xDeviceCharacteristics>::Call;
            io.xShmMap = Forward<&sqlite3_io_methods::xShmMap>::Call;
            io.xShmLock = Forward<&sqlite3_io_methods::xShmLock>::Call;
            io.xShmBarrier = Forward<&sqlite3_io_methods::xShmBarrier>::Call;
            io.xShmUnmap = Forward<&sqlite3_io_methods::xShmUnmap>::Call;
            io.xFetch = Forward<&sqlite3_io_methods::xFetch>::Call;
            io.xUnfetch = Forward<&sqlite3_io_methods::xUnfetch>::Call;
            io.xLock = [](sqlite3_file* f, int level) {
                if (level == SQLITE_LOCK_SHARED && reinterpret_cast<File*>(f)->mainDb) {
                    ++sharedLocks;
                    locked = true;
                    lockedAt = std::chrono::steady_clock::now();
                }
                return Real(f)->pMethods->xLock(Real(f), level);
            };
            io.xUnlock = [](sqlite3_file* f, int level) {
                if (level == SQLITE_LOCK_NONE && reinterpret_cast<File*>(f)->mainDb && std::exchange(locked, false))
                    longestHold = std::max(longestHold, std::chrono::steady_clock::now() - lockedAt);
                return Real(f)->pMethods->xUnlock(Real(f), level);
            };
            file->base.pMethods = &io;
            return rc;
        };
        sqlite3_vfs_register(&vfs, 1);
    }
    ~LockCounter() {
        sqlite3_vfs_unregister(&vfs);
        sqlite3_vfs_register(real, 1);
    }
};

}  // namespace

// A walk's child reads the children of the records ahead in batches, each
// under one read transaction: a walk takes SQLite's lock a few times per
// batch, never once per record, its second walk included, whose first batch
// runs at the opening, outside any step. A batch of slow queries lets go of
// its read after a tenth of a second and leaves the records it did not reach
// to the next: other connections never wait for a whole batch to write.
TEST(AdoSqliteReuse, AWalkReadsAheadInBatchesEachUnderOneShortRead) {
    using namespace std::chrono_literals;
    LockCounter counter;
    const auto previous = data::detail::RegisterProvider("Pausa", [](const data::detail::ProviderRequest& r) {
        auto p = data::detail::OpenSqliteProvider(r.Find("Data Source")->value, r.commandTimeout);
        sqlite3_create_function(
            data::detail::SqliteHandle(*p), "pausa", 0, SQLITE_UTF8, nullptr,
            [](sqlite3_context* c, int, sqlite3_value**) {
                std::this_thread::sleep_for(3ms);
                sqlite3_result_int(c, 1);
            },
            nullptr, nullptr);
        return p;
    });
    const struct {
        const char* filter;
        int parents, walks, maxLocks;
        std::chrono::milliseconds maxHold;
    } cases[] = {{"", 1000, 2, 1000 / 32, 10s}, {" AND pausa()", 256, 1, 256 / 3, 250ms}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        orvane::testing::ReportOn r;
        orvane::testing::ScratchDir dir;
        const std::string path = dir.file("lotes.db");
        orvane::testing::MakeDatabase(path,
                                      "CREATE TABLE p(id INTEGER PRIMARY KEY); CREATE TABLE k(pid INTEGER, v INTEGER);"
                                      "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                                          std::to_string(c.parents) +
                                          ") INSERT INTO p SELECT x FROM c; INSERT INTO k SELECT id, id * 3 FROM p;");
        r.cnn->cnnString = "Provider=Pausa;Data Source=" + path;
        r.Param("pId", "adInteger", 0);
        auto top = r.Source("P", "SELECT id FROM p ORDER BY id");
        std::tie(top->eFieldNametoParameters, top->idParameterLinked) = std::pair("id", "pId");
        auto child = r.Source("K", std::string("SELECT v FROM k WHERE pid = ?") + c.filter, top);
        child->SendParameters = "pId";
        ASSERT_TRUE(r.cnn->OpenConnection());
        for (int walk = 1; walk <= c.walks; ++walk) {
            SCOPED_TRACE(walk);
            LockCounter::sharedLocks = 0;
            LockCounter::longestHold = {};
            ASSERT_TRUE(top->OpenRecordsource()) << top->LastOpenError;
            long long records = 0, wrong = 0;
            for (; !r.rpt->EOF_All(); r.rpt->MoveNext_All(), ++records) {
                const long long id = top->ADORecordset->Fields()("id").Value().AsInt().value_or(0);
                if (child->ADORecordset->Fields()("v").Value().AsInt() != id * 3) ++wrong;
            }
            EXPECT_EQ(records, c.parents);
            EXPECT_EQ(wrong, 0);
            EXPECT_GT(LockCounter::sharedLocks, 0);
            EXPECT_LT(LockCounter::sharedLocks, c.maxLocks);
            EXPECT_LT(LockCounter::longestHold, c.maxHold);
        }
    }
    data::detail::RegisterProvider("Pausa", previous);
}
