// Faults planted in a three-level walk (clients, their orders, the orders'
// lines): the SQLite provider fails at its n-th point (an open, a statement's
// run, its binding, the reading of one of its rows), for every n until a
// walk runs without reaching the fault. Whatever fails, nothing crashes, the
// failure is reported with the record source and the step it failed at (or
// the walk gives exactly the undisturbed steps, when a read ahead failed and
// its record ran the query again), the definition is untouched, and the next
// walk gives the undisturbed steps.
#include <gtest/gtest.h>

#include <orvanespt/data/WalkSteps.h>
#include "support/SqliteSpy.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using Fault = testing::SqliteSpy;

// A walk as orvane run makes it: its steps as JSON and what it reported (the
// host naming the connection or top-level record source that failed).
struct Walked {
    std::vector<std::string> steps;
    std::vector<std::string> reported;
};

Walked Walk(Orvane& rpt) {
    Walked w;
    const auto cnn = rpt.GetConnection("ventas");
    if (!cnn->OpenConnection()) {
        w.reported.push_back("conexión ventas: " + cnn->LastOpenError);
        return w;
    }
    const auto note = [&w](eRSource& rs) {
        if (!rs.LastOpenError.empty())
            w.reported.push_back("origen de registros \"" + rs.Name + "\": " + rs.LastOpenError);
    };
    data::ForEachTopLevel(rpt, [&](eRSource& rs) {
        if (!rs.OpenRecordsource()) note(rs);
    });
    for (int guard = 0; !rpt.EOF_All() && guard < 10; ++guard) {
        std::vector<data::WalkProblem> problems;
        w.steps.push_back(data::StepJson(data::CurrentStep(rpt, problems)));
        for (const auto& p : problems) w.reported.push_back("origen de registros \"" + p.source + "\": " + p.why);
        rpt.MoveNext_All();
        data::ForEachTopLevel(rpt, note);
    }
    return w;
}

TEST(WalkFaults, EveryFailurePointIsReportedByStepAndLeavesTheDefinitionAndTheNextWalkWhole) {
    const auto previous = Fault::Register("Fallo");
    testing::SalesReport s;
    s.cnn->cnnString = "Provider=Fallo;Data Source=" + s.dbPath;
    // Clients linked by name, a text: its binding can fail.
    const std::string ordersSql =
        "SELECT p.id FROM pedidos p JOIN clientes c ON c.id = p.cliente_id WHERE c.nombre = ? ORDER BY p.id";
    auto [clientes, pedidos] = s.ClientsAndOrders(ordersSql);
    clientes->eFieldNametoParameters = "nombre";
    s.rpt->GetParameter("pCliente")->eType("adVarChar");
    pedidos->SendParameters = "pCliente";
    s.Param("pPedido", "adInteger", 0);
    std::tie(pedidos->eFieldNametoParameters, pedidos->idParameterLinked) = std::pair("id", "pPedido");
    s.Source("Lineas", "SELECT producto FROM lineas WHERE pedido_id = @pPedido ORDER BY producto", pedidos);
    const std::map<std::string, std::string> sourceOf = {
        {"SELECT * FROM clientes ORDER BY id", "Clientes"},
        {ordersSql, "Pedidos"},
        {"SELECT producto FROM lineas WHERE pedido_id = ", "Lineas"}};
    const auto lineas = s.rpt->GetRSource("Lineas");
    // What SQLite says at each step (the spy's own error where it plants one).
    const std::map<std::string, std::string> why = {{data::msg::kStepRun, "fallo planeado"},
                                                    {data::msg::kStepBind, "string or blob too big"},
                                                    {data::msg::kStepRead, "interrupted"}};

    std::map<std::string, int> failedAt;  // how many points failed and were reported, by step
    // Children that keep and read ahead their rows, and children that run
    // their query at every record.
    for (const bool reuse : {true, false}) {
        pedidos->ReuseRows = lineas->ReuseRows = reuse;
        const std::string xml = s.rpt->ToXML();
        Fault::failAt = 0;
        const Walked undisturbed = Walk(*s.rpt);
        ASSERT_EQ(undisturbed.steps.size(), 3u);
        ASSERT_TRUE(undisturbed.reported.empty()) << undisturbed.reported[0];
        ASSERT_NE(undisturbed.steps[0].find("\"producto\":\"queso\""), std::string::npos) << undisturbed.steps[0];

        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE("falla el punto " + std::to_string(n) + (reuse ? " (filas conservadas)" : ""));
            Fault::failAt = n;
            Fault::points = 0;
            Fault::failed.clear();
            const Walked faulty = Walk(*s.rpt);
            if (Fault::points < n) break;  // the walk has fewer points than n
            EXPECT_EQ(s.rpt->ToXML(), xml);
            if (Fault::failed.empty() || faulty.reported.empty()) {
                // Rows read ahead whose record ran its query again.
                EXPECT_EQ(faulty.steps, undisturbed.steps) << "fallo callado en " << Fault::failed;
            } else {
                const std::string& said = faulty.reported.front();
                if (Fault::failed == "abrir") {
                    EXPECT_EQ(said, "conexión ventas: fallo planeado");
                } else {
                    ++failedAt[Fault::step];
                    std::string source;
                    for (const auto& [sql, name] : sourceOf)
                        if (Fault::failed.starts_with(sql)) source = name;
                    EXPECT_NE(said.find("\"" + source + "\": " + data::msg::FailedTo(Fault::step, why.at(Fault::step))),
                              std::string::npos)
                        << said;
                }
            }
            Fault::failAt = 0;
            const Walked again = Walk(*s.rpt);
            EXPECT_EQ(again.steps, undisturbed.steps);
            EXPECT_TRUE(again.reported.empty());
        }
    }
    // Every level's run, the orders' bindings (read ahead, a failed one
    // runs again: reported only where each record runs its query) and rows
    // past a result's first were made to fail and reported.
    EXPECT_GE(failedAt[data::msg::kStepRun], 3);
    EXPECT_GE(failedAt[data::msg::kStepBind], 2);
    EXPECT_GE(failedAt[data::msg::kStepRead], 2);
    data::detail::RegisterProvider("Fallo", previous);
}

}  // namespace
}  // namespace orvane
