// The report-wide run-time operations: initial parameter values and the walk
// over every top-level record source.
#include <gtest/gtest.h>

#include <functional>

#include <orvanespt/data/SchemaLists.h>
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/platform/NumberFormat.h>
#include "support/SqliteSpy.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::SalesReport;

TEST(ReportRuntime, IniParametersTakesThePredefTextWhateverTheType) {
    testing::ReportOn r;
    auto n = r.Param("n", "adInteger", 5);
    r.rpt->eParameters->Add(nullptr);
    auto d = r.Param("d", "adDate");
    d->Predef = "Date()";
    r.rpt->IniParameters();
    EXPECT_EQ(n->Value, Variant(""));
    EXPECT_EQ(d->Value, Variant("Date()"));
}

TEST(ReportRuntime, SourcesNeverOpenedAreAtTheirEnd) {
    SalesReport s;
    EXPECT_FALSE(s.rpt->MoveNext_All());  // a connection without record sources
    s.Source("Bien", "SELECT 1 AS x");
    EXPECT_TRUE(s.rpt->EOF_All());
    EXPECT_FALSE(s.rpt->MoveNext_All());  // nor a connection that was never opened
}

// A walk whose bound child's link repeats (Lima x4, Quito), kept and re-queried
// (a plain report read from the XML): the same rows at every step, though
// the host leaves each child at its end with its own filter, holds it over some moves
// and writes between the last two Lima steps. Two top-level sources walk together.
TEST(ReportRuntime, KeptRowsAreTheRowsARequeryGives) {
    const auto previous = testing::SqliteSpy::Register("Cuenta");
    SalesReport s;
    testing::MakeDatabase(s.dbPath, "INSERT INTO clientes VALUES (5, 'Sol', 'Lima'), (6, 'Leo', 'Lima');");
    s.cnn->cnnString = "Provider=Cuenta;Data Source=" + s.dbPath;
    s.Param("pCiudad", "adVarChar", "");
    s.Param("pCliente", "adInteger", 0);
    auto top = s.Source("Clientes", "SELECT id, ciudad FROM clientes ORDER BY ciudad, id");
    auto vecinos = s.Source("Vecinos", "SELECT * FROM clientes WHERE ciudad = ?", top);
    std::tie(top->eFieldNametoParameters, top->idParameterLinked) = std::pair("ciudad", "pCiudad");
    std::tie(vecinos->eFieldNametoParameters, vecinos->idParameterLinked) = std::pair("id", "pCliente");
    std::tie(vecinos->SendParameters, vecinos->Filter, vecinos->Order) =
        std::tuple("pCiudad", "id <> 3", "nombre DESC");
    s.Source("Pedidos", "SELECT id FROM pedidos WHERE cliente_id = ?", vecinos)->SendParameters = "pCliente";
    s.Source("Uno", "SELECT 1 AS x");
    Orvane plain;
    ASSERT_TRUE(plain.FromXML(s.rpt->ToXML()));
    std::string shown[2];
    std::vector<int> queries[2];
    for (const bool reuse : {true, false}) {
        Orvane& rpt = reuse ? *s.rpt : plain;
        const auto cnn = rpt.GetConnection("ventas");
        const auto child = rpt.GetRSource("Vecinos");
        const auto grandchild = rpt.GetRSource("Pedidos");
        child->ReuseRows = grandchild->ReuseRows = reuse;
        ASSERT_TRUE(cnn->OpenConnection());
        data::Command write;  // of the walk's own connection
        write.ActiveConnection = cnn->ADOCnn;
        write.CommandText = "INSERT INTO clientes VALUES (4, 'Rosa', 'Lima')";
        for (const auto& name : {"Clientes", "Uno"}) ASSERT_TRUE(rpt.GetRSource(name)->OpenRecordsource());
        for (int step = 0; !rpt.EOF_All() && step < 9; ++step) {
            testing::SqliteSpy::calls = 0;
            shown[reuse] += "|";
            for (; !child->Eof(); child->MoveNext()) {
                shown[reuse] += " " + child->ADORecordset->Fields()("nombre").Value().TextOr() + ":";
                for (auto& rs = *grandchild->ADORecordset; !rs.Eof(); rs.MoveNext())
                    shown[reuse] += rs.Fields()(0).Value().TextOr();
            }
            child->RTFilter = "id = 1";  // replaced by the design-time filter at the next refresh
            child->ApplyFilter();
            if (step == 2) write.Execute();
            const auto held = step == 1 || step == 2 ? child->ADORecordset : nullptr;  // kept, fresh
            data::Recordset* const was = child->ADORecordset.get();
            EXPECT_TRUE(rpt.MoveNext_All());
            queries[reuse].push_back(testing::SqliteSpy::calls);
            EXPECT_EQ(child->ADORecordset.get() == was, !held);  // one the host holds never changes
            EXPECT_TRUE(!held || held->Filter() == "id = 1");
        }
        write.CommandText = "DELETE FROM clientes WHERE id = 4";
        write.Execute();
    }
    EXPECT_EQ(shown[true], shown[false]);
    EXPECT_EQ(shown[true],
              "| Sol: Leo: Ana:1011| Sol: Leo: Ana:1011| Sol: Leo: Ana:1011| Sol: Rosa: Leo: Ana:1011| Luis:");
    // Counted over whole steps: the host's moves through Vecinos, the write
    // (step 2) and the walk's move. Kept: Vecinos runs again for the 2nd Lima
    // (the first repeat, when the database is first asked) and the 4th (after
    // the write, which also drops Quito's rows read ahead at the first open),
    // and keeps the 3rd's rows; Pedidos, opened for Sol, reads Leo's and
    // Ana's rows ahead, so that the host's moves run nothing.
    EXPECT_EQ(queries[true], (std::vector<int>{4, 3, 6, 2, 2}));
    EXPECT_EQ(queries[false], (std::vector<int>{5, 5, 6, 6, 3}));
    data::detail::RegisterProvider("Cuenta", previous);
}

// Another process writes between the steps of a walk stopped early, in the
// rollback journal and in WAL mode: its write goes in at once, and the next
// step shows the row, though the child's rows for that step were read ahead
// (Quito, at the first step) or could be kept (Lima repeating).
TEST(ReportRuntime, AnotherProcessWritesBetweenStepsAndTheNextStepShowsIt) {
    for (const char* journal : {"DELETE", "WAL"}) {
        SCOPED_TRACE(journal);
        SalesReport s;
        testing::MakeDatabase(s.dbPath, std::string("PRAGMA journal_mode=") + journal +
                                            "; INSERT INTO clientes VALUES (5, 'Sol', 'Lima');");
        s.Param("pCiudad", "adVarChar", "");
        auto top = s.Source("Clientes", "SELECT id, ciudad FROM clientes ORDER BY id");
        std::tie(top->eFieldNametoParameters, top->idParameterLinked) = std::pair("ciudad", "pCiudad");
        auto vecinos = s.Source("Vecinos", "SELECT nombre FROM clientes WHERE ciudad = ? ORDER BY id", top);
        vecinos->SendParameters = "pCiudad";
        ASSERT_TRUE(s.cnn->OpenConnection());
        ASSERT_TRUE(top->OpenRecordsource());  // Ana, of Lima
        ASSERT_TRUE(vecinos->KeepsRows());
        EXPECT_EQ(testing::Rows(vecinos->ADORecordset), (std::vector<std::string>{"Ana", "Eva", "Sol"}));
        EXPECT_TRUE(testing::OtherProcessWrites(s.dbPath, "INSERT INTO clientes VALUES (8, 'Paz', 'Quito')"));
        EXPECT_TRUE(s.rpt->MoveNext_All());  // Luis, of Quito
        EXPECT_EQ(testing::Rows(vecinos->ADORecordset), (std::vector<std::string>{"Luis", "Paz"}));
        EXPECT_TRUE(s.rpt->MoveNext_All());  // Eva, of Lima: from here on the rows could be kept
        EXPECT_TRUE(testing::OtherProcessWrites(s.dbPath, "INSERT INTO clientes VALUES (7, 'Rosa', 'Lima')"));
        EXPECT_TRUE(s.rpt->MoveNext_All());  // Sol, still Lima, now with Rosa
        EXPECT_EQ(testing::Rows(vecinos->ADORecordset), (std::vector<std::string>{"Ana", "Eva", "Sol", "Rosa"}));
        // The host stops here, calling nothing: nobody is kept out.
        EXPECT_FALSE(s.rpt->EOF_All());
        EXPECT_TRUE(testing::OtherProcessWrites(s.dbPath, "DELETE FROM clientes WHERE id = 7"));
    }
}

// A child whose query calls a function whose result changes between runs is
// run again on every step, whatever ReuseRows says: random values are new at
// every step.
TEST(ReportRuntime, AChildCallingAChangingFunctionIsRunAgainOnEveryStep) {
    SalesReport s;
    auto top = s.Source("Clientes", "SELECT id FROM clientes ORDER BY id");
    const std::pair<const char*, bool> children[] = {{"SELECT random() AS v", false},
                                                     {"SELECT hex(randomblob(8)) AS v", false},
                                                     {"SELECT @pHoy AS v", false},
                                                     {"SELECT count(*) AS v FROM pedidos", true}};
    s.Param("pHoy", "adVarChar", "now");  // the literal 'now' once the macro is replaced
    for (const auto& [sql, keeps] : children) s.Source(sql, sql, top);
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(top->OpenRecordsource());
    std::vector<std::string> values;
    for (const auto& child : *top->eRSources) values.push_back(child->ADORecordset->Fields()(0).Value().TextOr());
    for (int step = 1; step <= 2; ++step) {
        ASSERT_TRUE(s.rpt->MoveNext_All());
        for (int i = 0; i < 4; ++i) {
            const auto& child = top->eRSources->Item(i + 1);
            const auto& [sql, keeps] = children[i];
            SCOPED_TRACE(sql);
            EXPECT_EQ(child->KeepsRows(), keeps);
            const std::string value = child->ADORecordset->Fields()(0).Value().TextOr();
            if (i < 2) {
                EXPECT_NE(value, values[i]) << "step " << step;
            }
            values[i] = value;
        }
    }
}

// Rows read ahead at the first step are served only while what the query is
// made of holds still: each change a host may make between steps shows at
// the next steps exactly the rows a walk that keeps nothing shows, and each
// changes those rows.
TEST(ReportRuntime, ChangesBetweenStepsToWhatAQueryIsMadeOfAreSeenAtTheNextStep) {
    using Change = std::function<void(Orvane&)>;
    const auto param = [](Orvane& r, const char* name) { return r.GetParameter(name); };
    const std::pair<const char*, Change> changes[] = {
        {"a macro's value", [&](Orvane& r) { param(r, "pMin")->Value = 2; }},
        {"a braced macro's value", [&](Orvane& r) { param(r, "pExtra")->Value = "id < 12"; }},
        {"a braced macro's list", [&](Orvane& r) { param(r, "pExtra")->Values = std::vector<Variant>{"id < 12"}; }},
        {"a date's format", [&](Orvane& r) { param(r, "pDesde")->DTFormat = "dd/mm/yyyy"; }},
        {"a type", [&](Orvane& r) { param(r, "pDesde")->eType("adInteger"); }},
        {"the query", [](Orvane& r) { r.GetRSource("Pedidos")->SQLCommand = "SELECT id + 100 FROM pedidos WHERE cliente_id = ?"; }},
        {"the names sent", [](Orvane& r) { r.GetRSource("Pedidos")->SendParameters = "pOtro"; }},
        {"a parameter gone", [&](Orvane& r) {
             for (int i = r.eParameters->Count(); i >= 1; --i)
                 if (r.eParameters->Item(i)->Name == "pMin") r.eParameters->Remove(i);
         }},
        {"the parameter a name finds", [&](Orvane& r) {
             param(r, "pExtra")->Name = "pAntes";
             auto p = std::make_shared<eParameter>();
             p->Name = "pExtra";
             p->eType("adVarChar");
             p->Value = "id < 12";
             r.eParameters->Add(p);
         }},
    };
    // The orders of the 2nd and 3rd clients, the change made after the 1st.
    const auto walk = [](const Change& change, bool keep) {
        testing::SalesReport s;
        auto [clientes, pedidos] = s.ClientsAndOrders(
            "SELECT id FROM pedidos WHERE cliente_id = ? AND total >= @pMin AND @{pExtra} AND fecha <= @pDesde");
        pedidos->SendParameters = "pCliente";
        pedidos->ReuseRows = keep;
        s.Param("pMin", "adDouble", 0);
        s.Param("pExtra", "adVarChar", "1 = 1");
        s.Param("pDesde", "adDate", Variant(DateTime{2024, 3, 10}));
        s.Param("pOtro", "adInteger", 1);
        EXPECT_TRUE(s.cnn->OpenConnection());
        EXPECT_TRUE(clientes->OpenRecordsource());
        if (change) change(*s.rpt);
        std::string shown;
        while (s.rpt->MoveNext_All() && !s.rpt->EOF_All()) {
            shown += pedidos->LastOpenError + "|";
            for (const auto& row : testing::Rows(pedidos->ADORecordset)) shown += row + " ";
        }
        return shown;
    };
    const std::string unchanged = walk(nullptr, true);
    EXPECT_EQ(unchanged, walk(nullptr, false));
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        const std::string changed = walk(change, true);
        EXPECT_EQ(changed, walk(change, false));
        EXPECT_NE(changed, unchanged);
    }
}

class RecordingPicker : public data::Picker {
public:
    void Clear() override { items.clear(); }
    void AddItem(const std::string& text) override { items.push_back(text); }
    std::vector<std::string> items{"stale"};
};

TEST(SchemaLists, ClearThePickerWithoutAnOpenConnection) {
    SalesReport s;
    RecordingPicker picker;
    data::ListTables(nullptr, picker);
    EXPECT_TRUE(picker.items.empty());

    ASSERT_TRUE(s.cnn->OpenConnection());
    picker.items = {"stale"};
    s.cnn->ADOCnn->Close();
    data::ListTables(s.cnn->ADOCnn, picker);
    EXPECT_TRUE(picker.items.empty());
}


}  // namespace
}  // namespace orvane
