// The SQLite provider's kept statements, held reads and read state: a text
// run again gives the rows of its new parameter values and of the database
// as it is now, a failed run leaves nothing behind, a held read transaction
// is released by its token's last copy and by a write, and the read state
// changes with every commit, of any connection, and only then.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <thread>

#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
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
