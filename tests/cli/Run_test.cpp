// orvane run: the walk printed as text and JSON, parameters and connections
// from the command line, the step limit, and the errors that end a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/TestSupport.h"

namespace orvane {
namespace {

using orvane::testing::SalesReport;

using orvane::testing::Outcome;

// A sales report with Clientes (linking id into pCliente, filtered by the
// pCiudad macro, which may hold a list) > Pedidos (pCliente bound, linking id into pPedido) > Lineas,
// and a second top-level source with one row, written as definition XML.
struct RunFixture : SalesReport {
    std::string xml = dir.file("ventas.xml");

    RunFixture() {
        rpt->Name = "Ventas";
        Param("pCliente", "adInteger")->Predef = "0";
        Param("pPedido", "adInteger")->Predef = "0";
        Param("pCiudad", "adVarChar")->Predef = "Lima";
        auto clientes = Source("Clientes", "SELECT id, nombre FROM clientes WHERE ciudad IN (@pCiudad) ORDER BY id");
        clientes->eFieldNametoParameters = "id";
        clientes->idParameterLinked = "pCliente";
        auto pedidos =
            Source("Pedidos", "SELECT id, total, fecha FROM pedidos WHERE cliente_id = ? ORDER BY id", clientes);
        pedidos->SendParameters = "pCliente";
        pedidos->eFieldNametoParameters = "id";
        pedidos->idParameterLinked = "pPedido";
        Source("Lineas", "SELECT producto FROM lineas WHERE pedido_id = @pPedido ORDER BY producto", pedidos);
        Source("Total", "SELECT count(*) AS n, NULL AS nada, 3 * 8.9 AS x FROM pedidos");
        Save();
    }
    void Save() { orvane::testing::WriteFile(xml, rpt->ToXML()); }

    Outcome Run(const std::string& args) const { return orvane::testing::RunOrvane("run " + args); }
};

TEST(CliRun, PrintsEveryStepWithItsChildrenAsTextUpToTheLimit) {
    RunFixture f;
    const Outcome o = f.Run(f.xml);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "reporte Ventas\n"
              "parámetros\n"
              "  pCliente = 0\n"
              "  pPedido = 0\n"
              "  pCiudad = Lima\n"
              "paso 1\n"
              "  Clientes: id=1, nombre=\"Ana\"\n"
              "    Pedidos: 2 filas\n"
              "      id=10, total=5.5, fecha=\"2024-01-05\"\n"
              "        Lineas: 2 filas\n"
              "          producto=\"leche\"\n"
              "          producto=\"pan\"\n"
              "      id=11, total=7.25, fecha=\"2024-02-01\"\n"
              "        Lineas: 1 fila\n"
              "          producto=\"queso\"\n"
              "  Total: n=3, nada=NULL, x=26.7\n"
              "paso 2\n"
              "  Clientes: id=3, nombre=\"Eva\"\n"
              "    Pedidos: 1 fila\n"
              "      id=12, total=1, fecha=\"2024-03-09\"\n"
              "        Lineas: 1 fila\n"
              "          producto=\"pan\"\n"
              "2 pasos\n");

    // The limit stops the walk; parameters and connection strings can be replaced.
    Outcome l = f.Run(f.xml + " --limit 1");
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_TRUE(l.out.ends_with("  Total: n=3, nada=NULL, x=26.7\n1 paso (se alcanzó el límite)\n")) << l.out;

    const std::string other = f.dir.file("otra.db");
    testing::MakeDatabase(other,
                          std::string(testing::kSalesScript) + "UPDATE clientes SET nombre = 'Lucho' WHERE id = 2;");
    l = f.Run(f.xml + " --limit 5 -p pCiudad=Quito --connection 'VENTAS=Provider=SQLite;Data Source=" + other + "'");
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_TRUE(
        l.out.ends_with("  pCiudad = Quito\npaso 1\n  Clientes: id=2, nombre=\"Lucho\"\n    Pedidos: 0 filas\n"
                        "  Total: n=3, nada=NULL, x=26.7\n1 paso\n"))
        << l.out;
}

// The package names its database relative to itself and runs from another
// folder; JSON keeps the field order and nests the rows; a parameter given
// twice holds both values.
TEST(CliRun, RunsAPackageAsJson) {
    RunFixture f;
    f.cnn->cnnString = "Provider=SQLite;Data Source=ventas.db";
    const std::string xpd = f.dir.file("ventas.xpd");
    ASSERT_TRUE(f.rpt->SaveXPDFile(xpd));
    Outcome o = f.Run(xpd + " --format json -p ' pciudad '=Quito -p pCiudad=Lima");
    ASSERT_EQ(o.status, 0) << o.err;
    auto j = nlohmann::ordered_json::parse(o.out);
    EXPECT_EQ(j["report"], "Ventas");
    EXPECT_EQ(j["parameters"].dump(), R"({"pCliente":"0","pPedido":"0","pCiudad":["Quito","Lima"]})");
    ASSERT_EQ(j["steps"].size(), 3u);
    EXPECT_EQ(j["steps"][1].dump(), R"([{"source":"Clientes","fields":{"id":2,"nombre":"Luis"},)"
                                    R"("children":[{"source":"Pedidos","rows":[]}]}])");
    EXPECT_EQ(j["steps"][0][1].dump(),
              R"({"source":"Total","fields":{"n":3,"nada":null,"x":26.700000000000003},"children":[]})");
    const auto& pedidos = j["steps"][0][0]["children"][0];
    ASSERT_EQ(pedidos["rows"].size(), 2u);
    EXPECT_EQ(pedidos["rows"][0]["fields"].dump(), R"({"id":10,"total":5.5,"fecha":"2024-01-05"})");

    o = f.Run(xpd + " --format=json --limit 0");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(nlohmann::json::parse(o.out)["steps"], nlohmann::json::array());
}

// A server's values print as it holds them: every digit of a decimal (JSON
// too, as a number), its truth values, a time alone and fractions of a second.
TEST(CliRun, PrintsServerValuesExactlyAsTextAndJson) {
    const char* cs = std::getenv("ORVANE_TEST_PG");
    const char* user = std::getenv("ORVANE_TEST_PG_USER");
    const char* password = std::getenv("ORVANE_TEST_PG_PASSWORD");
    if (!cs || !user || !password) GTEST_SKIP() << "no PostgreSQL test server";
    testing::ReportOn r(std::string(cs) + "UID=" + user + ";PWD=" + password + ";");
    r.Source("valores",
             "SELECT CAST(12345678901234567.89 AS NUMERIC(20,2)) AS importe, TRUE AS activo, "
             "CAST('23:59:59' AS TIME) AS hora, CAST('2024-03-05 14:30:00.123456' AS TIMESTAMP) AS momento");
    testing::ScratchDir dir;
    testing::WriteFile(dir.file("r.xml"), r.rpt->ToXML());
    Outcome o = testing::RunOrvane("run " + dir.file("r.xml"));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("valores: importe=12345678901234567.89, activo=True, hora=\"23:59:59\", "
                         "momento=\"2024-03-05 14:30:00.123456\"\n"),
              std::string::npos)
        << o.out;
    o = testing::RunOrvane("run " + dir.file("r.xml") + " --format json");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find(R"({"importe":12345678901234567.89,"activo":true,"hora":"23:59:59",)"
                         R"("momento":"2024-03-05T14:30:00.123456"})"),
              std::string::npos)
        << o.out;
}

// Bad arguments and failing sources: nothing on standard output, the cause
// on standard error, and no password.
TEST(CliRun, BadArgumentsAndFailingSourcesEndTheRun) {
    RunFixture f;
    const struct {
        std::string args;
        int status;
        std::vector<std::string> says;
    } cases[] = {
        {f.xml + " --format yaml",
         2,
         {"orvane: el valor \"yaml\" de --format no es válido: se admite text o json (vea orvane --help)\n"}},
        {f.xml + " --limit -2",
         2,
         {"orvane: el valor \"-2\" de --limit no es válido: se esperaba un número entero de pasos, 0 o más (vea orvane "
          "--help)\n"}},
        {f.xml + " --connection 'ventas=Provider=SQLite;Data Source=" + f.dir.file("none.db") + ";PWD=Hidd3nPass'",
         1,
         {"orvane: la conexión \"ventas\" no se abrió: no se puede abrir la base de datos SQLite ", "none.db"}},
        {f.xml + " --connection 'otra=x'", 1, {"orvane: la conexión \"otra\" no existe (el reporte tiene: ventas)\n"}},
        {f.xml + " --connection Hidd3nPass", 1, {}},
        {f.xml + " -p nadie=1",
         1,
         {"orvane: el parámetro \"nadie\" no existe (el reporte tiene: pCliente, pPedido, pCiudad)\n"}},
        {f.xml + " -p pCiudad", 1, {"orvane: -p \"pCiudad\": se esperaba NOMBRE=VALOR\n"}},
        {f.dir.file("none.xml"), 1, {"orvane: " + f.dir.file("none.xml") + ": el archivo no existe\n"}},
    };
    for (const auto& c : cases) {
        const Outcome o = f.Run(c.args);
        EXPECT_EQ(o.status, c.status) << c.args;
        EXPECT_EQ(o.out, "") << c.args;
        for (const std::string& part : c.says) EXPECT_NE(o.err.find(part), std::string::npos) << c.args << o.err;
        EXPECT_EQ(o.err.find("Hidd3nPass"), std::string::npos) << o.err;
    }
    f.rpt->eConections->Item(1)->eRSources->Item(1)->SQLCommand = "SELECT * FROM nada";
    f.Save();
    const Outcome o = f.Run(f.xml);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("orvane: el origen de registros \"Clientes\" no se abrió: "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("nada"), std::string::npos) << o.err;
}

// The example as scripts/build-example.sh makes it: the same walk keeping
// rows as re-querying, in the order its definition asks for.
TEST(CliRun, TheExampleWalksTheSameKeepingRowsAsRequerying) {
    orvane::testing::ScratchDir dir;
    const auto example = std::filesystem::path(ORVANE_SOURCE_DIR) / "examples/sales";
    for (const char* name : {"ventas.xml", "ventas.udl"}) std::filesystem::copy_file(example / name, dir.path() / name);
    testing::MakeDatabase(dir.file("ventas.db"), testing::ReadFile(example / "ventas.sql"));
    const Outcome kept = orvane::testing::RunOrvane("run " + dir.file("ventas.xml"));
    const Outcome requeried = orvane::testing::RunOrvane("run " + dir.file("ventas.xml") + " --requery");
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(kept.out, requeried.out);
    EXPECT_TRUE(kept.out.ends_with("\n8 pasos\n")) << kept.out;
    // The host applies a top-level source's design-time sort: totales comes
    // by importe DESC, Madrid's 850.15 first.
    const auto first = kept.out.find("  totales: ");
    ASSERT_NE(first, std::string::npos) << kept.out;
    EXPECT_EQ(kept.out.substr(first, kept.out.find('\n', first) - first),
              "  totales: ciudad=\"Madrid\", pedidos=5, importe=850.15");
}

}  // namespace
}  // namespace orvane
