// The ODBC provider through Debian's SQLite3 ODBC driver, registered in a
// private driver file (ODBCSYSINI) so nothing under /etc is needed. Skipped
// when the driver library is not installed.
#include <gtest/gtest.h>

#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;

namespace {

using orvane::testing::WriteFile;

const char* const kDriverLibrary = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

class AdoOdbc : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kDriverLibrary)) GTEST_SKIP() << "SQLite3 ODBC driver not installed";
        db_ = dir_.file("odbc.db");
        WriteFile(dir_.path() / "odbcinst.ini",
                  std::string("[SQLite3]\nDescription=test\nDriver=") + kDriverLibrary + "\n");
        WriteFile(dir_.path() / "odbc.ini", "[orvanetest]\nDriver=SQLite3\nDatabase=" + db_ + "\n");
        sysIni_.emplace("ODBCSYSINI", dir_.path().string());
        userIni_.emplace("ODBCINI", (dir_.path() / "odbc.ini").string());
        cnn_ = std::make_shared<Connection>();
        cnn_->Open("Driver={SQLite3};Database=" + db_ + ";", "", "");
    }
    void TearDown() override {
        cnn_.reset();
        userIni_.reset();
        sysIni_.reset();
    }
    std::shared_ptr<Recordset> Run(const std::string& sql) { return orvane::testing::Execute(cnn_, sql); }

    orvane::testing::ScratchDir dir_;
    // The suite may run under another driver configuration (the PostgreSQL
    // tests'), which must come back afterwards.
    std::optional<orvane::testing::ScopedEnv> sysIni_, userIni_;
    std::string db_;
    std::shared_ptr<Connection> cnn_;
};

}  // namespace

TEST_F(AdoOdbc, OpensByDriverAndDataSourceNameAndListsTables) {
    EXPECT_EQ(cnn_->State(), 1);
    Connection viaDsn;
    viaDsn.ConnectionString = "DSN=orvanetest";
    viaDsn.Open();
    EXPECT_EQ(viaDsn.State(), 1);

    Run("CREATE TABLE \"it's\"(a INTEGER); INSERT INTO \"it's\" VALUES (1); CREATE VIEW w AS SELECT a FROM \"it's\"");
    Command t;
    t.ActiveConnection = cnn_;
    t.CommandType = kCommandTable;
    t.CommandText = "it's";
    auto rs = t.Execute();
    EXPECT_EQ(rs->Fields()("a").Value(), Variant(1));

    auto tables = cnn_->OpenSchema(kSchemaTables);
    std::vector<std::string> names, types;
    for (; !tables->Eof(); tables->MoveNext()) {
        names.push_back(tables->Fields()("TABLE_NAME").Value().TextOr());
        types.push_back(tables->Fields()("TABLE_TYPE").Value().TextOr());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"it's", "w"}));
    EXPECT_EQ(types, (std::vector<std::string>{"TABLE", "VIEW"}));
    EXPECT_EQ(cnn_->OpenSchema(kSchemaProcedures)->Fields()(2).Name(), "PROCEDURE_NAME");
}

TEST_F(AdoOdbc, ParametersAndValuesRoundTripAlsoThroughAKeptStatementRunAgain) {
    Run("CREATE TABLE v(i INTEGER, r DOUBLE, t VARCHAR(50), d DATE, ts TIMESTAMP, b BIT)");
    const struct {
        int type;
        Variant value;
        long size;
    } values[] = {{3, 42, 0},
                  {5, 2.25, 0},
                  {202, "Ñandú ☃ 😀", 10},
                  {133, DateTime{2024, 2, 29}, 0},
                  {135, DateTime{2024, 3, 1, 13, 14, 15}, 0},
                  {11, true, 0}};
    Command ins;
    ins.ActiveConnection = cnn_;
    ins.CommandText = "INSERT INTO v VALUES (?, ?, ?, ?, ?, ?)";
    for (const auto& v : values) {
        auto p = ins.CreateParameter("p", v.type, v.size);
        p->Value(v.value);
        ins.Parameters().Append(p);
    }
    EXPECT_EQ(ins.Execute()->State(), 0);
    Run("INSERT INTO v VALUES (NULL, NULL, NULL, NULL, NULL, NULL)");

    Command sel;
    sel.ActiveConnection = cnn_;
    sel.CommandText = "SELECT * FROM v ORDER BY i IS NULL";
    auto rs = sel.Execute();
    ASSERT_EQ(rs->RecordCount(), 2u);
    const auto& f = rs->Fields();
    for (std::size_t i = 0; i < std::size(values); ++i) EXPECT_EQ(f(i).Value(), values[i].value) << f(i).Name();
    rs->MoveNext();
    for (const Field& field : f) EXPECT_TRUE(field.Value().IsNull()) << field.Name();

    // A long text arrives whole through the chunked reads, even with a
    // surrogate pair across a chunk boundary.
    std::string longText(2046, 'x');
    longText += "😀" + std::string(20000, 'y') + "é";
    Command big;
    big.ActiveConnection = cnn_;
    big.CommandText = "SELECT ? AS t";
    auto bp = big.CreateParameter("t", 201, static_cast<long>(longText.size()));
    bp->Value(longText);
    big.Parameters().Append(bp);
    EXPECT_EQ(big.Execute()->Fields()("t").Value(), Variant(longText));

    Run("CREATE TABLE k(n INTEGER, s VARCHAR(10))");
    Run("INSERT INTO k VALUES (1, 'uno'), (2, 'dos'), (NULL, 'nada')");
    // The rows whose n is the value bound, each run by one kept statement.
    auto select = [&](const Variant& n) {
        Command cmd;
        cmd.ActiveConnection = cnn_;
        cmd.CommandText = "SELECT * FROM k WHERE n IS ?";
        auto p = cmd.CreateParameter("n", 3);
        p->Value(n);
        cmd.Parameters().Append(p);
        return orvane::testing::Rows(cmd.Execute());
    };
    // A NULL bound to a kept statement does not stay for the values after it.
    EXPECT_EQ(select(Variant::MakeNull()), std::vector<std::string>{"NULL|nada"});
    EXPECT_EQ(select(1), std::vector<std::string>{"1|uno"});

    // Its columns are described again when their number changes.
    Run("ALTER TABLE k ADD COLUMN extra VARCHAR(10) DEFAULT 'x'");
    EXPECT_EQ(select(1), std::vector<std::string>{"1|uno|x"});
}
