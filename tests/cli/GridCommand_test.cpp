// orvane grid: the linked print table of a print-grid control, as text.
#include <gtest/gtest.h>

#include "print/ePrnTable.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::Outcome;
using testing::ShellQuote;

// Runs "orvane grid" with the arguments.
Outcome Grid(const std::string& args) {
    return testing::RunOrvane("grid " + args);
}

TEST(CliGrid, PrintsTheExampleTableRowsAndCells) {
    const Outcome o = Grid("examples/sales/ventas.xml grdpedidos");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "table \"tblPedidos\" width=190 height=18 rows=3\n"
              "row 1 \"encabezado\" height=6 width=190 caption=\"Encabezado\" cells=4\n"
              "  cell 1 \"hFecha\" width=30 caption=\"Fecha\" source=\"\"\n"
              "  cell 2 \"hPedido\" width=25 caption=\"Pedido\" source=\"\"\n"
              "  cell 3 \"hProducto\" width=85 caption=\"Producto\" source=\"\"\n"
              "  cell 4 \"hImporte\" width=50 caption=\"Importe (€)\" source=\"\"\n"
              "row 2 \"detalle\" height=6 width=190 caption=\"Líneas del pedido\" cells=4\n"
              "  cell 1 \"cFecha\" width=30 caption=\"\" source=\"pedidos.fecha\"\n"
              "  cell 2 \"cPedido\" width=25 caption=\"\" source=\"pedidos.id_pedido\"\n"
              "  cell 3 \"cProducto\" width=85 caption=\"\" source=\"lineas.producto\"\n"
              "  cell 4 \"cImporte\" width=50 caption=\"\" source=\"lineas.importe\"\n"
              "row 3 \"total\" height=6 width=190 caption=\"Total del cliente\" cells=2\n"
              "  cell 1 \"tEtiqueta\" width=140 caption=\"Total\" source=\"\"\n"
              "  cell 2 \"tImporte\" width=50 caption=\"\" source=\"=Sum(lineas.importe)\"\n");
}

TEST(CliGrid, FindsDialogControlsAndKeepsEachItemOnOneLine) {
    ePrnTable table;
    table.Name = "t";
    auto row = std::make_shared<ePrnRow>();
    row->Caption = "dos\r\nlíneas \"x\"";
    table.Rows->Add(row);
    Orvane rpt;
    auto dlg = std::make_shared<eDialog>();
    dlg->Name = "dlg";
    auto grid = std::make_shared<eControl>();
    grid->Name = "rejilla";
    grid->Class = "ePrnGridControl.ePrnGrid";
    grid->ExtData("Tables")->DatB64 = table.ToXML();
    dlg->eControls->Add(grid);
    rpt.eDialogs->Add(dlg);
    testing::ScratchDir dir;
    testing::WriteFile(dir.file("r.xml"), rpt.ToXML());

    const Outcome o = Grid(ShellQuote(dir.file("r.xml")) + " rejilla");
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              "table \"t\" width=0 height=0 rows=1\n"
              "row 1 \"\" height=0 width=0 caption=\"dos\\r\\nlíneas \\\"x\\\"\" cells=0\n");
}

}  // namespace
}  // namespace orvane
