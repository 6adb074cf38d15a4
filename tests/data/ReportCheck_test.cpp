// CheckReport on the example report: clean as it ships, then one mistake at a
// time, each found once with its place and name; with the data opened on
// SQLite, and on the PostgreSQL server when one runs.
#include <orvanespt/data/ReportCheck.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using data::FindingKind;

// The example definition and its database in a scratch folder.
struct Example {
    testing::ScratchDir dir;
    std::shared_ptr<Orvane> rpt = std::make_shared<Orvane>();

    Example() {
        const std::filesystem::path example = std::filesystem::path(ORVANE_SOURCE_DIR) / "examples/sales";
        for (const char* name : {"ventas.xml", "ventas.udl"})
            std::filesystem::copy_file(example / name, dir.path() / name);
        testing::MakeDatabase(dir.file("ventas.db"), testing::ReadFile(example / "ventas.sql"));
        EXPECT_TRUE(rpt->ReadXML(testing::ReadFile(dir.file("ventas.xml"))).ok());
        rpt->LoadedFrom = dir.file("ventas.xml");
    }
    eRSource& Rs(const std::string& name) {
        auto rs = rpt->GetRSource(name);
        if (!rs) rs = rpt->GetRSourceInDlg(name);
        if (!rs) throw std::runtime_error("no record source " + name);
        return *rs;
    }
};

std::string Shown(const std::vector<data::Finding>& found) {
    std::string out;
    for (const auto& f : found)
        out += data::KindId(f.kind) + std::string(" | ") + data::PlaceText(f.place) + " | " + f.name + " | " +
               f.message + "\n";
    return out;
}

struct Case {
    const char* what;
    std::function<void(Example&)> make;
    FindingKind kind;
    const char* place;
    const char* name;
    bool open = false;
};

TEST(ReportCheck, TheExampleIsCleanAndEachMistakeIsFoundOnceWhereItIs) {
    const auto date = [](Example& e) { e.rpt->GetParameter("Desde")->Predef = "31/02/2024"; };
    const Case cases[] = {
        {"plain macro", [](Example& e) { e.Rs("lineas").SQLCommand += " AND 1 = @NoParam"; }, FindingKind::UnknownMacro,
         "conexión ventas / origen clientes / origen pedidos / origen lineas", "@NoParam"},
        {"braced macro", [](Example& e) { e.Rs("totales").Order = "@{Nada} DESC"; }, FindingKind::UnknownMacro,
         "conexión resumen / origen totales", "@{Nada}"},
        {"unclosed brace", [](Example& e) { e.Rs("ciudades").SQLCommand += " -- @{Ciudad"; },
         FindingKind::UnclosedMacro, "diálogo dlgFiltro / origen ciudades", "@{Ciudad"},
        {"send name", [](Example& e) { e.Rs("lineas").SendParameters = "IdPedido, Minimo"; },
         FindingKind::UnknownSendParameter, "conexión ventas / origen clientes / origen pedidos / origen lineas",
         "Minimo"},
        // Marks inside quotes and comments are no marks.
        {"marks", [](Example& e) { e.Rs("pedidos").SQLCommand += " AND '?' <> ? /* ? */"; }, FindingKind::MarkCount,
         "conexión ventas / origen clientes / origen pedidos", "Hasta"},
        {"filter", [](Example& e) { e.Rs("pedidos").Filter = "estado = 'Anulado"; }, FindingKind::BadFilter,
         "conexión ventas / origen clientes / origen pedidos", "estado = 'Anulado"},
        {"sort", [](Example& e) { e.Rs("totales").Order = "importe DESCENDING"; }, FindingKind::BadSort,
         "conexión resumen / origen totales", "importe DESCENDING"},
        {"linked", [](Example& e) { e.Rs("pedidos").idParameterLinked = "IdPedidos"; },
         FindingKind::UnknownLinkedParameter, "conexión ventas / origen clientes / origen pedidos", "IdPedidos"},
        {"dialog source connection",
         [](Example& e) {
             e.Rs("ciudades").eCnn.reset();
             e.Rs("ciudades").ecnnName("vental");
         },
         FindingKind::UnknownConnection, "diálogo dlgFiltro / origen ciudades", "vental"},
        {"twin parameter",
         [](Example& e) {
             auto twin = std::make_shared<eParameter>();
             twin->Name = " ciudad ";
             e.rpt->eParameters->Add(twin);
         },
         FindingKind::DuplicateName, "parámetro  ciudad ", " ciudad "},
        {"twin record source", [](Example& e) { e.Rs("totales").Name = "Clientes"; }, FindingKind::DuplicateName,
         "origen Clientes", "Clientes"},
        {"date default", date, FindingKind::BadDefault, "parámetro Desde", "31/02/2024"},
        {"number default", [](Example& e) { e.rpt->GetParameter("MinImporte")->Predef = "cero"; },
         FindingKind::BadDefault, "parámetro MinImporte", "cero"},
        {"binding", [](Example& e) { e.rpt->GetDialog("dlgFiltro")->GetControl("dtpHasta")->BindObject = "Hastaa"; },
         FindingKind::UnknownBinding, "diálogo dlgFiltro / control dtpHasta", "Hastaa"},
        {"binding source",
         [](Example& e) { e.rpt->GetFormat("fmtListado")->GetControl("lblCliente")->BindObject = "cliente.nombre"; },
         FindingKind::UnknownBinding, "formato fmtListado / control lblCliente", "cliente.nombre"},
        {"grid source",
         [](Example& e) {
             e.rpt->GetFormat("fmtListado")->GetControl("grdPedidos")->GetExtProperty("SourceName")->Value = "pedido";
         },
         FindingKind::UnknownSource, "formato fmtListado / control grdPedidos", "pedido"},
        // With the data opened.
        {"connection",
         [](Example& e) { e.rpt->GetConnection("ventas")->cnnString = "Provider=SQLite;Data Source=nada.db"; },
         FindingKind::ConnectionFailed, "conexión ventas", "ventas", true},
        {"query", [](Example& e) { e.Rs("totales").SQLCommand = "SELECT * FROM ventas"; }, FindingKind::QueryFailed,
         "conexión resumen / origen totales", "totales", true},
        {"link field", [](Example& e) { e.Rs("clientes").eFieldNametoParameters = "id"; }, FindingKind::MissingField,
         "conexión ventas / origen clientes", "id", true},
        {"filter field", [](Example& e) { e.Rs("pedidos").Filter = "situacion <> 'Anulado'"; },
         FindingKind::MissingField, "conexión ventas / origen clientes / origen pedidos", "situacion", true},
        {"sort field", [](Example& e) { e.Rs("totales").Order = "total DESC"; }, FindingKind::MissingField,
         "conexión resumen / origen totales", "total", true},
        {"cell field",
         [](Example& e) {
             e.Rs("lineas").SQLCommand = "SELECT producto, precio FROM lineas WHERE id_pedido = ? AND precio >= ?";
         },
         FindingKind::MissingField, "formato fmtListado / control grdPedidos / control cImporte", "lineas.importe",
         true},
    };
    for (const bool open : {false, true}) {
        Example clean;
        EXPECT_EQ(Shown(data::CheckReport(*clean.rpt, {open, {}})), "") << "open " << open;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Example e;
        c.make(e);
        const auto found = data::CheckReport(*e.rpt, {c.open, {}});
        ASSERT_EQ(found.size(), 1u) << Shown(found);
        EXPECT_EQ(found[0].kind, c.kind) << Shown(found);
        EXPECT_EQ(data::PlaceText(found[0].place), c.place);
        EXPECT_EQ(found[0].name, c.name);
    }
    // The values a host set come back after the check, which uses the defaults.
    Example e;
    date(e);
    e.rpt->GetParameter("Ciudad")->Value = "Bilbao";
    const auto found = data::CheckReport(*e.rpt);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].message,
              "el valor por omisión no se lee como su tipo adDBDate: Desde: no es una fecha: 31/02/2024");
    EXPECT_EQ(e.rpt->GetParameter("Ciudad")->Value.TextOr(), "Bilbao");
}

// The hook for record sources that keep their rows: information, asked only
// of the record sources a walk reopens.
TEST(ReportCheck, NamesTheRecordSourcesTheHostSaysKeepRows) {
    Example e;
    data::CheckOptions options;
    options.keepsRows = [](const eRSource& rs) { return rs.KeepsRows(); };
    e.Rs("lineas").SQLCommand += " AND random() > 0";  // re-queried on every move
    const auto found = data::CheckReport(*e.rpt, options);
    std::string shown;
    for (const auto& f : found) {
        EXPECT_EQ(f.kind, FindingKind::KeepsRows);
        EXPECT_EQ(f.severity, data::Severity::Info);
        shown += f.name + " ";
    }
    EXPECT_EQ(shown, "pedidos ");
}

// The same report on the server: the query prepared there, missing fields and
// failing queries told as on SQLite.
TEST(Servers, ReportCheckPreparesEachQueryOnPostgres) {
    const char* cs = std::getenv("ORVANE_TEST_PG");
    const char* user = std::getenv("ORVANE_TEST_PG_USER");
    const char* password = std::getenv("ORVANE_TEST_PG_PASSWORD");
    if (!cs || !user || !password) GTEST_SKIP() << "no test server (ORVANE_TEST_PG)";
    const std::string cnn = std::string(cs) + "UID=" + user + ";PWD=" + password + ";";
    auto server = std::make_shared<data::Connection>();
    server->Open(cnn, "", "");
    testing::Execute(server, "DROP TABLE IF EXISTS chk_pedidos");
    testing::Execute(server, "CREATE TABLE chk_pedidos (id integer, estado varchar(20), fecha date)");
    testing::ReportOn r(cnn);
    r.Param("Desde", "adDBDate")->Predef = "2024-01-01";
    r.Param("Estado", "adVarChar")->Predef = "Anulado";
    auto rs = r.Source("pedidos", "SELECT id, estado FROM chk_pedidos WHERE fecha >= @Desde AND estado <> ?");
    rs->SendParameters = "Estado";
    rs->Order = "estado, fecha";
    auto bad = r.Source("malo", "SELECT id FROM chk_nada");
    const auto found = data::CheckReport(*r.rpt, {true, {}});
    ASSERT_EQ(found.size(), 2u) << Shown(found);
    EXPECT_EQ(found[0].kind, FindingKind::MissingField);
    EXPECT_EQ(found[0].name, "fecha");
    EXPECT_EQ(found[1].kind, FindingKind::QueryFailed);
    EXPECT_NE(found[1].message.find("chk_nada"), std::string::npos) << found[1].message;
    testing::Execute(server, "DROP TABLE chk_pedidos");
}

}  // namespace
}  // namespace orvane
