// The report-wide run-time operations: initial parameter values and the walk
// over every top-level record source.
#include <gtest/gtest.h>

#include "RunTimeFixture.h"
#include "data/SchemaLists.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"

namespace orvane {
namespace {

using testing::SalesReport;

TEST(ReportRuntime, IniParametersTakesThePredefTextWhateverTheType) {
    Orvane rpt;
    auto n = std::make_shared<eParameter>();
    n->Name = "n";
    n->eType("adInteger");
    n->Predef = "";
    n->Value = 5;
    auto d = std::make_shared<eParameter>();
    d->Name = "d";
    d->eType("adDate");
    d->Predef = "Date()";
    rpt.eParameters->Add(n);
    rpt.eParameters->Add(nullptr);
    rpt.eParameters->Add(d);
    rpt.IniParameters();
    EXPECT_EQ(n->Value, Variant(""));
    EXPECT_EQ(d->Value, Variant("Date()"));
    EXPECT_EQ(n->SQLExpresion(), "0");
}

TEST(ReportRuntime, EofAllWithoutOpenSourcesIsTrue) {
    Orvane empty;
    EXPECT_TRUE(empty.EOF_All());
    EXPECT_FALSE(empty.MoveNext_All());

    SalesReport s;
    EXPECT_TRUE(s.rpt->EOF_All());  // a connection without record sources
    s.Source("Clientes", "SELECT * FROM clientes");
    EXPECT_TRUE(s.rpt->EOF_All());  // never opened
    EXPECT_FALSE(s.rpt->MoveNext_All());
}

TEST(ReportRuntime, WalksAllTopLevelSourcesUntilTheLastEnds) {
    SalesReport s;
    auto [clientes, pedidos] = s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = @pCliente");
    auto todos = s.Source("Pedidos", "SELECT * FROM pedidos ORDER BY id");  // 3 rows, like clientes
    auto uno = s.Source("Uno", "SELECT 1 AS x");
    ASSERT_TRUE(s.cnn->OpenConnection());
    for (const auto& rs : {clientes, todos, uno}) ASSERT_TRUE(rs->OpenRecordsource());

    int steps = 0;
    std::vector<int> childRows;
    while (!s.rpt->EOF_All() && steps < 10) {
        int rows = 0;
        for (; !pedidos->Eof(); pedidos->ADORecordset->MoveNext()) ++rows;
        childRows.push_back(rows);
        EXPECT_TRUE(s.rpt->MoveNext_All());
        ++steps;
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(childRows, (std::vector<int>{2, 0, 1}));
    EXPECT_TRUE(uno->Eof());
    EXPECT_TRUE(s.rpt->MoveNext_All());  // every source is open: the moves still happen
}

TEST(ReportRuntime, AWalkHoldsOneReadFromItsFirstStepToItsEnd) {
    SalesReport s;
    auto [clientes, pedidos] = s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = ?");
    pedidos->SendParameters = "pCliente";
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(clientes->OpenRecordsource());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(s.dbPath.c_str(), &other), SQLITE_OK);
    auto write = [&] { return sqlite3_exec(other, "DELETE FROM pedidos WHERE id = 0", nullptr, nullptr, nullptr); };
    EXPECT_EQ(write(), SQLITE_OK);  // opening alone holds nothing

    std::vector<int> childRows;
    while (!s.rpt->EOF_All()) {
        childRows.push_back(static_cast<int>(pedidos->ADORecordset->RecordCount()));
        EXPECT_TRUE(s.rpt->MoveNext_All());
        if (!clientes->Eof()) {
            EXPECT_EQ(write(), SQLITE_BUSY);
        }
    }
    EXPECT_EQ(childRows, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(write(), SQLITE_OK);  // released at the end

    ASSERT_TRUE(clientes->OpenRecordsource());
    EXPECT_TRUE(s.rpt->MoveNext_All());
    EXPECT_EQ(write(), SQLITE_BUSY);
    s.cnn->ADOCnn->Close();  // a walk left half way ends with its connection
    EXPECT_EQ(write(), SQLITE_OK);
    sqlite3_close(other);
}

TEST(ReportRuntime, MoveNextAllIsFalseWhenASourceIsClosed) {
    SalesReport s;
    auto ok = s.Source("Bien", "SELECT 1 AS x");
    auto bad = s.Source("Mal", "SELECT * FROM nada");
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(ok->OpenRecordsource());
    ASSERT_FALSE(bad->OpenRecordsource());
    EXPECT_FALSE(s.rpt->MoveNext_All());
    EXPECT_TRUE(ok->Eof());  // the open one moved all the same
}

class RecordingPicker : public data::Picker {
public:
    void Clear() override { items.clear(); }
    void AddItem(const std::string& text) override { items.push_back(text); }
    std::vector<std::string> items{"stale"};
};

TEST(SchemaLists, ListsEveryTableAndClearsOnFailure) {
    SalesReport s;
    testing::MakeDatabase(s.dbPath, "CREATE VIEW limenos AS SELECT * FROM clientes WHERE ciudad = 'Lima';");
    RecordingPicker picker;
    data::ListTables(nullptr, picker);
    EXPECT_TRUE(picker.items.empty());

    ASSERT_TRUE(s.cnn->OpenConnection());
    data::ListTables(s.cnn->ADOCnn, picker);
    std::sort(picker.items.begin(), picker.items.end());
    EXPECT_EQ(picker.items, (std::vector<std::string>{"clientes", "limenos", "lineas", "pedidos"}));

    picker.items = {"stale"};
    data::ListProcedures(s.cnn->ADOCnn, picker);  // SQLite has none
    EXPECT_TRUE(picker.items.empty());

    picker.items = {"stale"};
    s.cnn->ADOCnn->Close();
    data::ListTables(s.cnn->ADOCnn, picker);
    EXPECT_TRUE(picker.items.empty());
}

}  // namespace
}  // namespace orvane
