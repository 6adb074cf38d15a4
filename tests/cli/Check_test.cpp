// orvane check as a user meets it: the example clean, a definition with
// mistakes listed one per line and as JSON, a file that cannot be read; and
// orvane run --sql showing what each statement became.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::Outcome;
using testing::RunOrvane;
using testing::ShellQuote;

struct ExampleCopy {
    testing::ScratchDir dir;
    std::string xml = dir.file("ventas.xml");
    ExampleCopy() {
        const std::filesystem::path example = std::filesystem::path(ORVANE_SOURCE_DIR) / "examples/sales";
        for (const char* name : {"ventas.xml", "ventas.udl"})
            std::filesystem::copy_file(example / name, dir.path() / name);
        testing::MakeDatabase(dir.file("ventas.db"), testing::ReadFile(example / "ventas.sql"));
    }
    // The example's text with one piece replaced.
    void Edit(const std::string& from, const std::string& to) {
        std::string text = testing::ReadFile(xml);
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        testing::WriteFile(xml, text.replace(at, from.size(), to));
    }
};

// The example's children keep their rows when their link repeats: said as
// information, which changes neither "sin errores" nor the exit status.
const char* const kKeeps[] = {
    "conexión ventas / origen clientes / origen pedidos: información: conserva sus filas entre los movimientos de su "
    "origen de registros padre cuando su consulta se repite\n",
    "conexión ventas / origen clientes / origen pedidos / origen lineas: información: conserva sus filas entre los "
    "movimientos de su origen de registros padre cuando su consulta se repite\n"};

TEST(CliCheck, ListsEachMistakeOnceAndExitsByWhatItFound) {
    ExampleCopy e;
    for (const char* open : {"", " --open"}) {
        const Outcome o = RunOrvane("check " + ShellQuote(e.xml) + open);
        EXPECT_EQ(o.status, 0) << o.out << o.err;
        EXPECT_EQ(o.out, std::string(kKeeps[0]) + kKeeps[1] + "sin errores\n");
    }
    e.Edit("WHERE ciudad LIKE @Ciudad", "WHERE ciudad LIKE @NoParam");
    e.Edit("SendParameters=\"IdPedido, MinImporte\"", "SendParameters=\"IdPedido, Minimo\"");
    e.Edit("Predef=\"2024-01-01\"", "Predef=\"31/02/2024\"");
    e.Edit("Order=\"importe DESC\"", "Order=\"total DESC\"");
    Outcome o = RunOrvane("check " + ShellQuote(e.xml));
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_EQ(o.out,
              "conexión ventas / origen clientes: la consulta: la macro @NoParam no nombra ningún parámetro\n" +
                  std::string(kKeeps[0]) +
                  "conexión ventas / origen clientes / origen pedidos / origen lineas: SendParameters: \"Minimo\" no "
                  "nombra ningún parámetro\n" +
                  kKeeps[1] +
              "parámetro Desde: el valor por omisión no se lee como su tipo adDBDate: Desde: no es una fecha: "
              "31/02/2024\n");
    // Opened, the queries fail (the first naming its macro) and the sort field is missing from the result.
    o = RunOrvane("check --open --format json " + ShellQuote(e.xml));
    EXPECT_EQ(o.status, 1) << o.err;
    const auto j = nlohmann::json::parse(o.out);
    ASSERT_EQ(j["findings"].size(), 8u) << o.out;
    const auto& failed = j["findings"][1];
    EXPECT_EQ(failed["kind"], "query_failed");
    EXPECT_EQ(failed["place"], nlohmann::json::parse(R"([{"kind":"connection","name":"ventas"},
                                                        {"kind":"record_source","name":"clientes"}])"));
    EXPECT_NE(failed["message"].get<std::string>().find("la macro @NoParam no nombra ningún parámetro"),
              std::string::npos)
        << failed;
    EXPECT_EQ(j["findings"][4]["severity"], "info");
    EXPECT_EQ(j["findings"][5]["kind"], "query_failed");
    EXPECT_EQ(j["findings"][6]["kind"], "missing_field");
    EXPECT_EQ(j["findings"][6]["name"], "total");

    o = RunOrvane("check " + ShellQuote(e.dir.file("nada.xml")));
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("nada.xml: el archivo no existe"), std::string::npos) << o.err;
}

TEST(CliRun, SqlShowsEachStatementAsSentWithItsValues) {
    ExampleCopy e;
    const Outcome o = RunOrvane("run " + ShellQuote(e.xml) + " --limit 1 --sql -p Ciudad=Z%");
    ASSERT_EQ(o.status, 0) << o.err;
    for (const char* shown : {"sql: SELECT id_cliente, nombre, ciudad\n     FROM clientes\n"
                              "     WHERE ciudad LIKE 'Z%' \n     ORDER BY nombre\n",
                              "     WHERE id_cliente = 4 AND fecha >= '2024-01-01' AND fecha <= ?\n"
                              "     ORDER BY fecha\n     ?1 = \"2024-06-30\" (Hasta)\n",
                              "     ?1 = 108 (IdPedido)\n     ?2 = 0 (MinImporte)\n"})
        EXPECT_NE(o.err.find(shown), std::string::npos) << shown << "\n" << o.err;
}

}  // namespace
}  // namespace orvane
