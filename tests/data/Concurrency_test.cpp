// Several definitions of one host used from different threads at once, one
// definition per thread: packages, the data walk over SQLite, parameter
// formatting with each thread's own decimal separator and messages all share
// the library's process-wide state. Run under the thread sanitizer too.
#include <gtest/gtest.h>

#include <thread>

#include "platform/NumberFormat.h"
#include "platform/RuntimeServices.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using orvane::testing::MessageRecorder;
using orvane::testing::SalesReport;
using orvane::testing::ScratchDir;
using platform::RuntimeServices;

constexpr int kThreads = 4;
constexpr int kRounds = 6;

// Saves the definition, loads it back into a new one, opens its data and
// walks it; returns the child rows seen at each step, or a failure text.
std::string RoundTrip(SalesReport& s, const std::string& pkg, char separator) {
    if (!s.rpt->SaveXPDFile(pkg)) return "save failed";
    auto back = std::make_shared<Orvane>();
    if (!back->LoadXPDFile(pkg)) return "load failed";
    const auto cnn = back->GetConnection("ventas");
    if (!cnn->OpenConnection()) return "open failed: " + cnn->LastOpenError;
    const auto clientes = back->GetRSource("Clientes");
    if (!clientes->OpenRecordsource()) return "record source failed: " + clientes->LastOpenError;
    std::string seen;
    auto pedidos = back->GetRSource("Pedidos");
    for (int step = 0; !back->EOF_All() && step < 10; ++step) {
        seen += std::to_string(pedidos->ADORecordset->RecordCount());
        back->MoveNext_All();
    }
    auto total = back->GetParameter("pTotal");
    total->Value = 1.5;
    return seen + " " + total->VBExpresion() + (separator == ',' ? " comma" : " point");
}

TEST(Concurrency, DefinitionsInDifferentThreadsWorkAtOnce) {
    MessageRecorder messages;
    ScratchDir temp;
    RuntimeServices::Instance().SetTempFolder(temp.path().string());

    std::vector<std::string> outcomes(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&outcomes, t] {
            const char separator = t % 2 ? ',' : '.';
            platform::ScopedDecimalSeparator scoped(separator);
            SalesReport s;
            s.rpt->Name = "Mismo";  // the same name in every thread
            s.Param("pTotal", "adDouble");
            s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = @pCliente");
            const std::string pkg = s.dir.file("informe.xpd");
            std::string& outcome = outcomes[t];
            for (int round = 0; round < kRounds; ++round) {
                std::string got = RoundTrip(s, pkg, separator);
                if (round > 0 && got != outcome) got = "round " + std::to_string(round) + ": " + got;
                outcome = got;
                Orvane broken;
                broken.LoadXPDFile(s.dbPath);  // not a package: one message each time
                RuntimeServices::Instance().Number(1, 99);
            }
        });
    }
    for (auto& t : threads) t.join();
    RuntimeServices::Instance().SetTempFolder("");

    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(outcomes[t], t % 2 ? "201 1,5 comma" : "201 1.5 point") << "thread " << t;
    const auto taken = messages->Taken();
    EXPECT_EQ(taken.size(), static_cast<std::size_t>(kThreads * kRounds));
    for (const auto& m : taken) EXPECT_EQ(m.text.rfind("Unzip: ", 0), 0u) << m.text;
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

}  // namespace
}  // namespace orvane
