// The SQLite provider through Connection, Command and Recordset: opening,
// command types, parameter binding by type code, value kinds, moves and the
// schema lists.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "data/ado/Command.h"
#include "data/ado/Connection.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;

namespace {

std::shared_ptr<Connection> OpenMemory() {
    auto cnn = std::make_shared<Connection>();
    cnn->ConnectionString = "Provider=SQLite;Data Source=:memory:";
    cnn->Open();
    return cnn;
}

std::shared_ptr<Recordset> RunSql(const std::shared_ptr<Connection>& cnn, const std::string& sql) {
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = sql;
    return cmd.Execute();
}

std::vector<std::string> Column(Recordset& rs, const std::string& field) {
    std::vector<std::string> out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(rs.Fields()(field).Value().TextOr("<null>"));
    return out;
}

}  // namespace

TEST(AdoSqlite, OpensMemoryAndFileAndRefusesBadStrings) {
    auto cnn = OpenMemory();
    EXPECT_EQ(cnn->State(), 1);
    EXPECT_EQ(cnn->CursorLocation, 3);
    EXPECT_THROW(cnn->Open(), DataError);  // already open
    cnn->Close();
    EXPECT_EQ(cnn->State(), 0);
    EXPECT_THROW(cnn->OpenSchema(kSchemaTables), DataError);

    orvane::testing::ScratchDir dir;
    const std::string path = dir.file("t.db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE t(a INTEGER); INSERT INTO t VALUES (7);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Connection file;
    file.Open("Provider=sqlite; Data Source=\"" + path + "\"", "", "");
    EXPECT_EQ(file.ConnectionString.find("Provider=sqlite"), 0u);
    auto rs = RunSql(std::shared_ptr<Connection>(&file, [](Connection*) {}), "SELECT a FROM t");
    EXPECT_EQ(rs->Fields()("A").Value(), Variant(7));

    Connection missing;
    EXPECT_THROW(missing.Open("Provider=SQLite;Data Source=" + dir.file("none.db"), "", ""), DataError);
    EXPECT_NE(missing.LastError().find("none.db"), std::string::npos);
    EXPECT_EQ(missing.State(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.db")));
}

TEST(AdoSqlite, CommandTypesAndStatements) {
    auto cnn = OpenMemory();
    EXPECT_EQ(
        RunSql(cnn, "CREATE TABLE \"it's\"(n INTEGER, s TEXT); INSERT INTO \"it's\" VALUES (1,'a'),(2,'b');")->State(),
        0);
    Command table;
    table.ActiveConnection = cnn;
    table.CommandType = kCommandTable;
    table.CommandText = "it's";
    auto rs = table.Execute();
    ASSERT_EQ(rs->State(), 1);
    EXPECT_EQ(rs->RecordCount(), 2u);
    EXPECT_EQ(rs->Fields().Count(), 2u);
    EXPECT_EQ(rs->Fields()(1).Name(), "s");

    Command proc;
    proc.ActiveConnection = cnn;
    proc.CommandType = kCommandStoredProcedure;
    proc.CommandText = "anything";
    EXPECT_THROW(proc.Execute(), DataError);
    EXPECT_NE(cnn->LastError().find("stored procedures"), std::string::npos);

    Command other;
    other.ActiveConnection = cnn;
    other.CommandType = 8;
    other.CommandText = "SELECT 1";
    EXPECT_THROW(other.Execute(), DataError);

    EXPECT_THROW(RunSql(cnn, "SELEC nothing"), DataError);
    EXPECT_NE(cnn->LastError().find("syntax"), std::string::npos);
    Command none;
    none.CommandText = "SELECT 1";
    EXPECT_THROW(none.Execute(), DataError);
}

TEST(AdoSqlite, ValueKindsFollowStorageAndDeclaredTypes) {
    auto cnn = OpenMemory();
    RunSql(cnn,
           "CREATE TABLE v(i INTEGER, r REAL, t TEXT, d DATE, ts DATETIME, tm TIME, b BOOLEAN, z);"
           "INSERT INTO v VALUES (5, 2.5, 'x', '2024-02-29', '2024-03-01 10:20:30', '08:15', 1, NULL);"
           "INSERT INTO v VALUES (NULL, NULL, NULL, 'not a date', NULL, NULL, 0, x'41');");
    auto rs = RunSql(cnn, "SELECT * FROM v");
    const auto& f = rs->Fields();
    EXPECT_EQ(f("i").Value(), Variant(5));
    EXPECT_EQ(f("r").Value(), Variant(2.5));
    EXPECT_EQ(f("T").Value(), Variant("x"));
    EXPECT_EQ(f("d").Value(), Variant(DateTime{2024, 2, 29}));
    EXPECT_EQ(f("ts").Value(), Variant(DateTime{2024, 3, 1, 10, 20, 30}));
    EXPECT_EQ(f("tm").Value(), Variant(DateTime{1899, 12, 30, 8, 15, 0}));
    EXPECT_EQ(f("b").Value(), Variant(true));
    EXPECT_TRUE(f("z").Value().IsNull());
    rs->MoveNext();
    EXPECT_TRUE(f("i").Value().IsNull());
    EXPECT_EQ(f("d").Value(), Variant("not a date"));
    EXPECT_EQ(f("b").Value(), Variant(false));
    EXPECT_EQ(f("z").Value(), Variant("A"));
    EXPECT_THROW(f("nope"), DataError);
    EXPECT_THROW(f(8), DataError);
}

TEST(AdoSqlite, MovesAndEndsOnFullAndEmptyResults) {
    auto cnn = OpenMemory();
    auto rs = RunSql(cnn, "SELECT 1 AS n UNION ALL SELECT 2 UNION ALL SELECT 3");
    EXPECT_FALSE(rs->Bof());
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(1));
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
    EXPECT_FALSE(rs->Eof());
    EXPECT_THROW(rs->Fields()("n").Value(), DataError);
    EXPECT_THROW(rs->MovePrevious(), DataError);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(1));
    rs->MoveLast();
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(3));
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_THROW(rs->MoveNext(), DataError);
    rs->MovePrevious();
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(3));
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(1));

    auto empty = RunSql(cnn, "SELECT 1 AS n WHERE 0");
    EXPECT_EQ(empty->State(), 1);
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    empty->MoveFirst();
    empty->MoveLast();
    EXPECT_TRUE(empty->Eof() && empty->Bof());
    EXPECT_THROW(empty->MoveNext(), DataError);
    EXPECT_EQ(empty->Fields()(0).Name(), "n");

    rs->Close();
    EXPECT_EQ(rs->State(), 0);
    EXPECT_TRUE(rs->Eof() && rs->Bof());
    EXPECT_THROW(rs->MoveFirst(), DataError);
    EXPECT_THROW(rs->Fields(), DataError);
    EXPECT_THROW(rs->Filter("n = 1"), DataError);
}

TEST(AdoSqlite, RowLimitIsAClearError) {
    auto cnn = OpenMemory();
    cnn->RowLimit = 2;
    EXPECT_EQ(RunSql(cnn, "SELECT 1 UNION ALL SELECT 2")->RecordCount(), 2u);
    EXPECT_THROW(RunSql(cnn, "SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3"), DataError);
    EXPECT_NE(cnn->LastError().find("more than 2 rows"), std::string::npos);
}

TEST(AdoSqlite, ParametersBindByTypeCode) {
    auto cnn = OpenMemory();
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText =
        "SELECT ? AS i, ? AS big, ? AS f, ? AS cur, ? AS t, ? AS b, ? AS d, ? AS tm, ? AS ts, ? AS n, "
        "typeof(?) AS e";
    auto add = [&](int type, const Variant& v, long size = 0) {
        auto p = cmd.CreateParameter("p", type, size);
        p->Value(v);
        cmd.Parameters().Append(p);
    };
    add(3, "42");
    add(20, 9007199254740993LL);
    add(5, "2.5");
    add(6, 12);
    add(200, "O'Brien", 1);  // longer than its size: sent whole
    add(11, "true");
    add(133, DateTime{2024, 1, 15, 9, 30, 0});
    add(134, "2024-01-15 09:30:05");
    add(135, DateTime{2024, 1, 15});
    add(3, Variant::MakeNull());
    add(200, Variant());
    auto rs = cmd.Execute();
    const auto& f = rs->Fields();
    EXPECT_EQ(f("i").Value(), Variant(42));
    EXPECT_EQ(f("big").Value(), Variant(9007199254740993LL));
    EXPECT_EQ(f("f").Value(), Variant(2.5));
    EXPECT_EQ(f("cur").Value(), Variant(12.0));
    EXPECT_EQ(f("t").Value(), Variant("O'Brien"));
    EXPECT_EQ(f("b").Value(), Variant(1));
    EXPECT_EQ(f("d").Value(), Variant("2024-01-15"));
    EXPECT_EQ(f("tm").Value(), Variant("09:30:05"));
    EXPECT_EQ(f("ts").Value(), Variant("2024-01-15 00:00:00"));
    EXPECT_TRUE(f("n").Value().IsNull());
    EXPECT_EQ(f("e").Value(), Variant("null"));
}

TEST(AdoSqlite, UnconvertibleParameterValuesAreRefused) {
    Command cmd;
    auto p = cmd.CreateParameter("p", 3);
    EXPECT_THROW(p->Value("abc"), DataError);
    EXPECT_THROW(p->Value(3e10), DataError);
    EXPECT_TRUE(p->Value().IsEmpty());  // a refused value leaves the old one
    p->Value(2.5);
    EXPECT_EQ(p->Bound().integer, 2);  // half to even
    EXPECT_THROW(cmd.CreateParameter("p", 16)->Value(200), DataError);
    EXPECT_THROW(cmd.CreateParameter("p", 17)->Value(-1), DataError);
    EXPECT_THROW(cmd.CreateParameter("p", 5)->Value("12abc"), DataError);
    EXPECT_THROW(cmd.CreateParameter("p", 11)->Value("maybe"), DataError);
    EXPECT_THROW(cmd.CreateParameter("p", 7)->Value("31/02/2024"), DataError);
    EXPECT_THROW(cmd.CreateParameter("p", 136)->Value(1), DataError);
    EXPECT_NO_THROW(cmd.CreateParameter("p", 136)->Value(Variant::MakeNull()));
    EXPECT_THROW(cmd.Parameters().Append(nullptr), DataError);
}

TEST(AdoSqlite, ParameterCountMustMatchTheMarks) {
    auto cnn = OpenMemory();
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = "SELECT ? + ?";
    auto p = cmd.CreateParameter("a", 3);
    p->Value(1);
    cmd.Parameters().Append(p);
    EXPECT_THROW(cmd.Execute(), DataError);
    cmd.Parameters().Append(p);
    cmd.Parameters().Append(p);
    EXPECT_THROW(cmd.Execute(), DataError);
}

TEST(AdoSqlite, SchemaListsHaveTheAdoColumns) {
    auto cnn = OpenMemory();
    RunSql(cnn,
           "CREATE TABLE b_table(x); CREATE VIEW a_view AS SELECT 1; CREATE TABLE c(id INTEGER PRIMARY KEY "
           "AUTOINCREMENT);");
    auto tables = cnn->OpenSchema(kSchemaTables);
    EXPECT_EQ(Column(*tables, "TABLE_NAME"), (std::vector<std::string>{"a_view", "b_table", "c", "sqlite_sequence"}));
    EXPECT_EQ(Column(*tables, "TABLE_TYPE"), (std::vector<std::string>{"VIEW", "TABLE", "TABLE", "SYSTEM TABLE"}));
    tables->MoveFirst();
    EXPECT_TRUE(tables->Fields()("TABLE_CATALOG").Value().IsNull());
    EXPECT_EQ(tables->Fields().Count(), 9u);
    tables->Close();

    auto procs = cnn->OpenSchema(kSchemaProcedures);
    EXPECT_TRUE(procs->Eof());
    EXPECT_EQ(procs->Fields()(2).Name(), "PROCEDURE_NAME");
    EXPECT_THROW(cnn->OpenSchema(4), DataError);
}

TEST(AdoSqlite, OddConnectionStringsFailCleanly) {
    for (const char* text : {"Provider=SQLite;Data Source={unterminated", "=;;;", ";", "Provider", "Provider=;DSN",
                             "Provider='SQLite", "Provider=SQLite;Data Source=\"\"", "Data Source=x.db", "",
                             "Provider=SQLite"}) {
        Connection c;
        EXPECT_THROW(c.Open(text, "", ""), DataError) << text;
        EXPECT_FALSE(c.LastError().empty()) << text;
        EXPECT_EQ(c.State(), 0) << text;
    }
}
