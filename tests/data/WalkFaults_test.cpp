// Faults planted in a three-level walk (clients, their orders, the orders'
// lines): the SQLite provider fails its n-th open or statement, for every n
// until a walk runs without reaching the fault. Whatever fails, nothing
// crashes, the failure is reported with the record source and what it was
// doing (or the walk gives exactly the undisturbed steps, when a read ahead
// failed and its record ran the query again), the definition is untouched,
// and the next walk gives the undisturbed steps.
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
    auto [clientes, pedidos] = s.ClientsAndOrders("SELECT id FROM pedidos WHERE cliente_id = ? ORDER BY id");
    pedidos->SendParameters = "pCliente";
    s.Param("pPedido", "adInteger", 0);
    std::tie(pedidos->eFieldNametoParameters, pedidos->idParameterLinked) = std::pair("id", "pPedido");
    s.Source("Lineas", "SELECT producto FROM lineas WHERE pedido_id = @pPedido ORDER BY producto", pedidos);
    const std::map<std::string, std::string> sourceOf = {
        {"SELECT * FROM clientes ORDER BY id", "Clientes"},
        {"SELECT id FROM pedidos WHERE cliente_id = ? ORDER BY id", "Pedidos"},
        {"SELECT producto FROM lineas WHERE pedido_id = ", "Lineas"}};
    const auto lineas = s.rpt->GetRSource("Lineas");

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
            SCOPED_TRACE("falla la llamada " + std::to_string(n) + (reuse ? " (filas conservadas)" : ""));
            Fault::failAt = n;
            Fault::calls = 0;
            Fault::failed.clear();
            const Walked faulty = Walk(*s.rpt);
            if (Fault::failed.empty()) break;  // the walk made fewer calls than n
            EXPECT_EQ(s.rpt->ToXML(), xml);
            if (faulty.reported.empty()) {
                EXPECT_EQ(faulty.steps, undisturbed.steps) << "fallo callado en " << Fault::failed;
            } else {
                const std::string& said = faulty.reported.front();
                if (Fault::failed == "abrir") {
                    EXPECT_EQ(said, "conexión ventas: fallo planeado");
                } else {
                    std::string source;
                    for (const auto& [sql, name] : sourceOf)
                        if (Fault::failed.starts_with(sql)) source = name;
                    EXPECT_NE(said.find("\"" + source + "\": no se pudo ejecutar la consulta: fallo planeado"),
                              std::string::npos)
                        << said;
                }
            }
            Fault::failAt = 0;
            const Walked again = Walk(*s.rpt);
            EXPECT_EQ(again.steps, undisturbed.steps);
            EXPECT_TRUE(again.reported.empty());
        }
        // An open, the three levels' first queries and more: every one was tried.
        EXPECT_GT(n, 8);
    }
    data::detail::RegisterProvider("Fallo", previous);
}

}  // namespace
}  // namespace orvane
