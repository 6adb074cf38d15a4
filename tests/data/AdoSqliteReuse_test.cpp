// The SQLite provider's kept statements and held reads: a text run again
// gives the rows of its new parameter values and of the database as it is
// now, a failed run leaves nothing behind, and a held read transaction is
// released by ReleaseReads, by its token's last copy, by a write and by Close.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "data/ado/Command.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;

namespace {

struct TwoConnections {
    orvane::testing::ScratchDir dir;
    std::string path = dir.file("reuse.db");
    std::shared_ptr<Connection> cnn = std::make_shared<Connection>();
    sqlite3* other = nullptr;  // a second, plain connection: the other writer

    TwoConnections() {
        orvane::testing::MakeDatabase(path, "CREATE TABLE t(n INTEGER, s TEXT); INSERT INTO t VALUES (1,'a'),(2,'b'),(3,'c');");
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

TEST(AdoSqliteReuse, HeldReadsKeepOtherWritersOutUntilReleased) {
    TwoConnections c;
    auto token = c.cnn->HoldReads();
    EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (9,'x')"), SQLITE_OK);  // held only once something is read
    EXPECT_EQ(Rows(c.cnn, "SELECT count(*) FROM t"), "4;");
    EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (9,'x')"), SQLITE_BUSY);
    // A write of the held connection itself releases the read first and is kept; the next read holds again.
    EXPECT_EQ(Rows(c.cnn, "INSERT INTO t VALUES (10,'y')"), "<closed>");
    EXPECT_EQ(c.OtherWrites("INSERT INTO t VALUES (11,'w')"), SQLITE_OK);
    EXPECT_EQ(Rows(c.cnn, "SELECT count(*) FROM t"), "6;");
    EXPECT_EQ(c.OtherWrites("DELETE FROM t"), SQLITE_BUSY);
    EXPECT_EQ(c.cnn->HoldReads().use_count(), 2);  // one token while it is kept, and its last copy ends the hold
    token.reset();
    EXPECT_EQ(c.OtherWrites("DELETE FROM t WHERE n = 9"), SQLITE_OK);

    token = c.cnn->HoldReads();
    c.cnn->Close();
    EXPECT_EQ(c.cnn->HoldReads(), nullptr);  // closed: nothing to hold
    c.cnn.reset();
    token.reset();  // outlives its connection harmlessly
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
