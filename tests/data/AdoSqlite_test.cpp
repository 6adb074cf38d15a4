// The SQLite provider through Connection, Command and Recordset: opening,
// command types, parameter binding by type code, value kinds, moves and the
// schema lists.
#include <gtest/gtest.h>

#include <map>

#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;
using orvane::testing::Execute;

namespace {

std::shared_ptr<Connection> OpenMemory() {
    auto cnn = std::make_shared<Connection>();
    cnn->ConnectionString = "Provider=SQLite;Data Source=:memory:";
    cnn->Open();
    return cnn;
}

std::vector<std::string> Column(Recordset& rs, const std::string& field) {
    std::vector<std::string> out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(rs.Fields()(field).Value().TextOr("<null>"));
    return out;
}

}  // namespace

// The schema lists have the ADO columns.
TEST(AdoSqlite, OpensMemoryListsTheSchemaAndRefusesMissingFilesAndBadStrings) {
    auto cnn = OpenMemory();
    EXPECT_EQ(cnn->State(), 1);
    EXPECT_EQ(cnn->CursorLocation, 3);
    EXPECT_THROW(cnn->Open(), DataError);  // already open
    Execute(cnn,
            "CREATE TABLE b_table(x); CREATE VIEW a_view AS SELECT 1; CREATE TABLE c(id INTEGER PRIMARY KEY "
            "AUTOINCREMENT);");
    auto tables = cnn->OpenSchema(kSchemaTables);
    EXPECT_EQ(Column(*tables, "TABLE_NAME"), (std::vector<std::string>{"a_view", "b_table", "c", "sqlite_sequence"}));
    EXPECT_EQ(Column(*tables, "TABLE_TYPE"), (std::vector<std::string>{"VIEW", "TABLE", "TABLE", "SYSTEM TABLE"}));
    EXPECT_EQ(tables->Fields().Count(), 9u);
    tables->Close();
    EXPECT_THROW(cnn->OpenSchema(4), DataError);
    cnn->Close();
    EXPECT_EQ(cnn->State(), 0);
    EXPECT_THROW(cnn->OpenSchema(kSchemaTables), DataError);

    orvane::testing::ScratchDir dir;

    Connection missing;
    EXPECT_THROW(missing.Open("Provider=SQLite;Data Source=" + dir.file("none.db"), "", ""), DataError);
    EXPECT_NE(missing.LastError().find("none.db"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.db")));
    for (const char* text :
         {"Provider=SQLite;Data Source={unterminated", "=;;;", ";", "Provider", "Provider=;DSN", "Provider='SQLite",
          "Provider=SQLite;Data Source=\"\"", "Data Source=x.db", "", "Provider=SQLite"}) {
        Connection c;
        EXPECT_THROW(c.Open(text, "", ""), DataError) << text;
        EXPECT_FALSE(c.LastError().empty()) << text;
        EXPECT_EQ(c.State(), 0) << text;
    }
}

TEST(AdoSqlite, CommandTypesStatementsAndTheRowLimit) {
    auto cnn = OpenMemory();
    Execute(cnn, "CREATE TABLE \"it's\"(n INTEGER, s TEXT); INSERT INTO \"it's\" VALUES (1,'a'),(2,'b');");
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandType = kCommandTable;
    cmd.CommandText = "it's";
    EXPECT_EQ(cmd.Execute()->RecordCount(), 2u);

    // Refused: a stored procedure, bad SQL, no connection.
    for (const auto& [type, text, says] :
         {std::tuple{kCommandStoredProcedure, "anything", "procedimientos almacenados"},
          {kCommandText, "SELEC nothing", "syntax"}}) {
        cmd.CommandType = type;
        cmd.CommandText = text;
        EXPECT_THROW(cmd.Execute(), DataError) << text;
        EXPECT_NE(cnn->LastError().find(says), std::string::npos) << text;
    }
    Command none;
    none.CommandText = "SELECT 1";
    EXPECT_THROW(none.Execute(), DataError);

    cnn->RowLimit = 2;
    EXPECT_EQ(Execute(cnn, "SELECT 1 UNION ALL SELECT 2")->RecordCount(), 2u);
    EXPECT_THROW(Execute(cnn, "SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3"), DataError);
    EXPECT_EQ(cnn->LastError(),
              "el resultado tiene más de 2 filas, lo más que un conjunto de registros guarda en memoria: acote la consulta");
}

// Moves given as letters (First, Last, Next, Previous, Close) and what each
// leaves: the value of n, the end it is at, or "!" for a refused move.
std::string Moves(Recordset& rs, const std::string& moves) {
    const std::map<char, void (Recordset::*)()> move{{'F', &Recordset::MoveFirst},
                                                     {'L', &Recordset::MoveLast},
                                                     {'N', &Recordset::MoveNext},
                                                     {'P', &Recordset::MovePrevious},
                                                     {'C', &Recordset::Close}};
    std::string trace;
    for (char m : moves) {
        try {
            (rs.*move.at(m))();
            const bool bof = rs.Bof(), eof = rs.Eof();
            trace += bof || eof ? (bof && eof ? "both" : bof ? "bof" : "eof") : rs.Fields()("n").Value().TextOr();
        } catch (const DataError&) {
            trace += "!";
        }
        trace += " ";
    }
    return trace;
}

TEST(AdoSqlite, ValueKindsFollowTheTypesMovesEndOnFullAndEmptyResultsAndParametersBindByCode) {
    auto cnn = OpenMemory();
    Execute(cnn,
            "CREATE TABLE v(i INTEGER, r REAL, t TEXT, d DATE, ts DATETIME, tm TIME, b BOOLEAN, z);"
            "INSERT INTO v VALUES (5, 2.5, 'x', '2024-02-29', '2024-03-01 10:20:30', '08:15', 1, NULL);"
            "INSERT INTO v VALUES (NULL, NULL, NULL, 'not a date', NULL, NULL, 0, x'41');");
    auto values = Execute(cnn, "SELECT * FROM v");
    const auto& f = values->Fields();
    const Variant null = Variant::MakeNull();
    const std::vector<Variant> first{
        5,    2.5, "x", DateTime{2024, 2, 29}, DateTime{2024, 3, 1, 10, 20, 30}, DateTime{1899, 12, 30, 8, 15, 0},
        true, null};
    const std::vector<Variant> second{null, null, null, "not a date", null, null, false, "A"};
    for (const auto* row : {&first, &second}) {
        for (std::size_t i = 0; i < row->size(); ++i) EXPECT_EQ(f(i).Value(), (*row)[i]) << i;
        values->MoveNext();
    }
    EXPECT_THROW(f(8), DataError);

    auto rs = Execute(cnn, "SELECT 1 AS n UNION ALL SELECT 2 UNION ALL SELECT 3");
    EXPECT_EQ(rs->Fields()("n").Value(), Variant(1));
    EXPECT_EQ(Moves(*rs, "PPNLNNPF"), "bof ! 1 3 eof ! 3 1 ");
    rs->MovePrevious();
    EXPECT_THROW(rs->Fields()("n").Value(), DataError);  // no current record

    auto empty = Execute(cnn, "SELECT 1 AS n WHERE 0");
    EXPECT_EQ(empty->State(), 1);
    EXPECT_EQ(Moves(*empty, "FLNP"), "both both ! ! ");

    EXPECT_EQ(Moves(*rs, "CF"), "both ! ");
    EXPECT_EQ(rs->State(), 0);
    EXPECT_THROW(rs->Fields(), DataError);

    // What SQLite receives for each bound kind.
    const struct {
        int type;
        Variant value;
        Variant read;
    } cases[] = {
        // clang-format off
        {3, "42", 42}, {20, 9007199254740993LL, 9007199254740993LL}, {5, "2.5", 2.5}, {6, 12, 12},
        {131, "3.14", 3.14}, {14, "12345678901234567.89", "12345678901234567.89"},  // exact: kept whole as text
        {200, "O'Brien", "O'Brien"},  // longer than its size: sent whole
        {11, "true", 1}, {133, DateTime{2024, 1, 15, 9, 30, 0}, "2024-01-15"}, {134, "2024-01-15 09:30:05", "09:30:05"},
        {135, DateTime{2024, 1, 15}, "2024-01-15 00:00:00"}, {3, Variant::MakeNull(), Variant::MakeNull()},
        {200, Variant(), Variant::MakeNull()},
        // clang-format on
    };
    Command cmd;
    cmd.ActiveConnection = cnn;
    for (const auto& c : cases) {
        cmd.CommandText += cmd.CommandText.empty() ? "SELECT ?" : ", ?";
        auto p = cmd.CreateParameter("p", c.type, 1);
        p->Value(c.value);
        cmd.Parameters().Append(p);
    }
    auto bound = cmd.Execute();
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(bound->Fields()(i).Value(), cases[i].read) << cases[i].type;
}
