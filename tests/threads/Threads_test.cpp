// Definitions used from different threads at once, built alone under
// ThreadSanitizer by CI (ORVANE_SANITIZE_THREAD).
#include <gtest/gtest.h>

#include <thread>

#include <orvanespt/platform/NumberFormat.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::SalesReport;

// Definitions used from different threads at once, one per thread and each
// with its own decimal separator: packages, the walk over SQLite and the
// message sink share the library's process-wide state.
TEST(Threads, DefinitionsLoadWalkAndSaveAtOnce) {
    testing::MessageRecorder messages;
    std::vector<std::string> outcomes(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < outcomes.size(); ++t) {
        threads.emplace_back([&outcomes, t] {
            platform::ScopedDecimalSeparator separator(t % 2 ? ',' : '.');
            SalesReport s;
            s.Param("pTotal", "adDouble");
            // A definition of its own per thread: the same rows through another text.
            s.ClientsAndOrders(t < 2 ? "SELECT * FROM pedidos WHERE cliente_id = @pCliente"
                                     : "SELECT id, cliente_id FROM pedidos WHERE cliente_id = @pCliente ORDER BY id");
            testing::WriteFile(s.dir.file("roto.xpd"), std::string("PK\x03\x04", 4) + "cortado");
            for (int round = 0; round < 6; ++round) {
                auto back = std::make_shared<Orvane>();
                if (!s.rpt->SaveXPDFile(s.dir.file("informe.xpd")) || !back->LoadXPDFile(s.dir.file("informe.xpd")) ||
                    !back->GetConnection("ventas")->OpenConnection() || !back->GetRSource("Clientes")->OpenRecordsource())
                    return;
                back->GetParameter("pTotal")->Value = 1.5;  // values are not saved
                outcomes[t] = back->GetParameter("pTotal")->VBExpresion() + " ";
                for (; !back->EOF_All(); back->MoveNext_All())
                    outcomes[t] += std::to_string(back->GetRSource("Pedidos")->ADORecordset->RecordCount());
                Orvane().LoadXPDFile(s.dir.file("roto.xpd"));  // a damaged package: one message each round
            }
        });
    }
    for (auto& t : threads) t.join();
    for (std::size_t t = 0; t < outcomes.size(); ++t) EXPECT_EQ(outcomes[t], t % 2 ? "1,5 201" : "1.5 201") << t;
    EXPECT_EQ(messages->Taken().size(), outcomes.size() * 6);
}

}  // namespace
}  // namespace orvane
