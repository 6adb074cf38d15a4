// The report-wide run-time operations: initial parameter values and the walk
// over every top-level record source.
#include <gtest/gtest.h>

#include <functional>

#include "data/SchemaLists.h"
#include "data/ado/detail/Provider.h"
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
    EXPECT_EQ(n->SQLExpresion(), "0");
}

TEST(ReportRuntime, SourcesNeverOpenedAreAtTheirEndAndAClosedOneMakesTheStepFalse) {
    Orvane empty;
    EXPECT_TRUE(empty.EOF_All());
    EXPECT_FALSE(empty.MoveNext_All());

    SalesReport s;
    EXPECT_TRUE(s.rpt->EOF_All());  // a connection without record sources
    auto ok = s.Source("Bien", "SELECT 1 AS x");
    auto bad = s.Source("Mal", "SELECT * FROM nada");
    EXPECT_TRUE(s.rpt->EOF_All());  // never opened
    EXPECT_FALSE(s.rpt->MoveNext_All());
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(ok->OpenRecordsource());
    ASSERT_FALSE(bad->OpenRecordsource());
    EXPECT_FALSE(s.rpt->MoveNext_All());
    EXPECT_TRUE(ok->Eof());  // the open one moved all the same
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

// However the host creates the report, its connections link back to it: the
// children's macros are replaced from the parent's current record.
TEST(ReportRuntime, APlainReportWalksLikeASharedOne) {
    SalesReport s;
    s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = @pCliente");
    const std::string xml = s.rpt->ToXML();
    auto shared = std::make_shared<Orvane>();
    Orvane plain;
    for (Orvane* r : {shared.get(), &plain}) {
        ASSERT_TRUE(r->FromXML(xml));
        ASSERT_TRUE(r->GetConnection("ventas")->OpenConnection());
        ASSERT_TRUE(r->GetRSource("Clientes")->OpenRecordsource());
        const auto pedidos = r->GetRSource("Pedidos");
        std::vector<std::size_t> rows;
        for (; !r->EOF_All(); r->MoveNext_All()) rows.push_back(pedidos->ADORecordset->RecordCount());
        EXPECT_EQ(rows, (std::vector<std::size_t>{2, 0, 1}));
    }
}

TEST(ReportRuntime, AWalkHoldsItsReadUntilItEndsOrTheHostLetsGo) {
    using End = std::function<void(SalesReport&, eRSource&)>;
    const std::vector<std::pair<std::string, End>> ends{
        {"walked to the end",
         [](SalesReport& s, eRSource&) {
             while (!s.rpt->EOF_All()) s.rpt->MoveNext_All();
         }},
        {"EndWalk", [](SalesReport& s, eRSource&) { s.rpt->EndWalk(); }},
        {"recordset let go", [](SalesReport&, eRSource& top) { top.ADORecordset.reset(); }},
        {"reopened", [](SalesReport&, eRSource& top) { top.OpenRecordsource(); }},
        {"connection closed", [](SalesReport& s, eRSource&) { s.cnn->ADOCnn->Close(); }}};
    for (const bool wal : {false, true}) {
        for (const auto& [how, end] : ends) {
            SCOPED_TRACE(how + (wal ? " (WAL)" : " (rollback journal)"));
            SalesReport s;
            if (wal) testing::MakeDatabase(s.dbPath, "PRAGMA journal_mode=WAL;");
            auto [clientes, pedidos] = s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = ?");
            pedidos->SendParameters = "pCliente";
            ASSERT_TRUE(s.cnn->OpenConnection());
            ASSERT_TRUE(clientes->OpenRecordsource());
            EXPECT_TRUE(testing::OtherProcessWrites(s.dbPath));  // opening alone holds nothing
            EXPECT_TRUE(s.rpt->MoveNext_All());
            EXPECT_TRUE(s.rpt->MoveNext_All());  // two steps of three
            EXPECT_EQ(pedidos->ADORecordset->RecordCount(), 1u);
            EXPECT_FALSE(s.rpt->EOF_All());
            EXPECT_EQ(testing::OtherProcessWrites(s.dbPath), wal);  // only WAL lets writers in during a walk
            end(s, *clientes);
            EXPECT_TRUE(testing::OtherProcessWrites(s.dbPath));
        }
    }
}

// SQLite behind "Provider=Fallo", whose failAt-th command fails.
class FailingProvider : public data::detail::Provider {
public:
    static inline int calls = 0, failAt = 0, alive = 0;
    explicit FailingProvider(std::unique_ptr<Provider> inner) : inner_(std::move(inner)) { ++alive; }
    ~FailingProvider() override { --alive; }
    std::shared_ptr<data::detail::Table> Execute(const std::string& sql, data::detail::BoundValues params,
                                                 std::size_t rowLimit) override {
        if (++calls == failAt) throw data::DataError("fallo provocado");
        return inner_->Execute(sql, params, rowLimit);
    }
    std::string QuoteIdentifier(std::string_view n) const override { return inner_->QuoteIdentifier(n); }
    std::string ProcedureCall(std::string_view n, std::size_t c) const override { return inner_->ProcedureCall(n, c); }
    std::shared_ptr<data::detail::Table> Tables(std::size_t limit) override { return inner_->Tables(limit); }
    std::shared_ptr<data::detail::Table> Procedures(std::size_t limit) override { return inner_->Procedures(limit); }
    void HoldReads(bool on) override { inner_->HoldReads(on); }

private:
    std::unique_ptr<Provider> inner_;
};

// Each command of a master-detail walk failed in turn (1, 2: the opens; 3 to
// 5: the children's reopening by each step): only the step that met it says
// its data may be incomplete, the walk ends where it would, the other steps'
// children hold their rows, and no provider outlives its report.
TEST(ReportRuntime, EachFailingCommandOfAWalkSpoilsOnlyItsOwnStep) {
    const auto previous = data::detail::RegisterProvider("Fallo", [](const data::detail::ProviderRequest& r) {
        return std::make_unique<FailingProvider>(data::detail::OpenSqliteProvider(r.Find("Data Source")->value));
    });
    const std::vector<std::size_t> childRows{2, 0, 1};
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        {
            SalesReport s;
            s.cnn->cnnString = "Provider=Fallo;Data Source=" + s.dbPath;
            auto [clientes, pedidos] = s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = @pCliente");
            ASSERT_TRUE(s.cnn->OpenConnection());
            FailingProvider::calls = 0;
            FailingProvider::failAt = n;
            EXPECT_EQ(clientes->OpenRecordsource(), n > 2);
            if (n == 1) {
                EXPECT_FALSE(s.rpt->MoveNext_All());
            }
            for (std::size_t step = 0; !s.rpt->EOF_All() && step < 4; ++step) {
                if (static_cast<int>(step) + 2 != n) {
                    EXPECT_EQ(pedidos->ADORecordset->RecordCount(), childRows[step]);
                }
                EXPECT_EQ(s.rpt->MoveNext_All(), static_cast<int>(step) + 3 != n);
                EXPECT_LT(step, 3u);
            }
            EXPECT_EQ(FailingProvider::calls, n == 1 ? 1 : 5);
        }
        EXPECT_EQ(FailingProvider::alive, 0);
    }
    data::detail::RegisterProvider("Fallo", previous);
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
