// The command-line host driven as a user would: arguments in, output, error
// line and exit status out, on the example report and on broken inputs:
// show, xml, pack and grid.
#include <gtest/gtest.h>

#include <cstdlib>

#include <orvanespt/print/ePrnTable.h>
#include "support/Encodings.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::ReadFile;
using testing::ScratchDir;
using testing::ShellQuote;
using testing::WriteFile;

Outcome Orvane(const std::string& args) {
    return testing::RunOrvane(args);
}

const std::string kExampleXml = "examples/sales/ventas.xml";

std::string Source(const std::string& rel) {
    return ReadFile(fs::path(ORVANE_SOURCE_DIR) / rel);
}

TEST(Cli, ShowPrintsTheExampleTree) {
    const Outcome help = Orvane("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("pack"), std::string::npos);
    const Outcome o = Orvane("show " + kExampleXml);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "ventas [@Ovventas]\n"
              "  Conexiones [@Connections]\n"
              "    ventas [Cnn_ventas]\n"
              "      clientes [Rst_clientes]\n"
              "        pedidos [Rst_pedidos]\n"
              "          lineas [Rst_lineas]\n"
              "    resumen [Cnn_resumen]\n"
              "      totales [Rst_totales]\n"
              "  Parámetros [@Parameters]\n"
              "    Ciudad [Prm_Ciudad]\n"
              "    Desde [Prm_Desde]\n"
              "    Hasta [Prm_Hasta]\n"
              "    HastaISO [Prm_HastaISO]\n"
              "    IdCliente [Prm_IdCliente]\n"
              "    IdPedido [Prm_IdPedido]\n"
              "    MinImporte [Prm_MinImporte]\n"
              "  Diálogos [@Dialogs]\n"
              "    dlgFiltro [Dlg_dlgFiltro]\n"
              "      ciudades [Rst_ciudades]\n"
              "  Formatos de impresión [@PrnFormats]\n"
              "    fmtListado [Fmt_fmtListado]\n"
              "  Imágenes y textos [@ResDataCol]\n"
              "  Sub-Programa [@ScriptCode]\n");
}

TEST(Cli, PackWritesAPackageThatShowsAndLoadsBackAndBadInputsGiveOneLineErrors) {
    ScratchDir dir;
    const std::string xpd = dir.file("ventas.xpd");
    // Resources keep the command line's order, texts and pictures mixed.
    Outcome o = Orvane("pack " + kExampleXml + " -o " + ShellQuote(xpd) +
                       " --text pie=examples/sales/pie.txt --picture logo=examples/sales/logo.png");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out + o.err, "");

    o = Orvane("show " + ShellQuote(xpd));
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("  Imágenes y textos [@ResDataCol]\n    pie [Txt_pie]\n    logo [Pic_logo]\n"),
              std::string::npos)
        << o.out;
    // The text, in the encodings Windows tools write too, and the package give
    // the definition back byte for byte.
    const std::string utf16 = dir.file("ventas-utf16.xml"), latin = dir.file("ventas-1252.xml");
    WriteFile(utf16, testing::Encode(Source(kExampleXml), {"UTF-16", "UTF-16LE", "\xFF\xFE"}));
    WriteFile(latin, testing::Encode(Source(kExampleXml), {"windows-1252", "WINDOWS-1252", ""}));
    for (const std::string& file : {kExampleXml, ShellQuote(xpd), ShellQuote(utf16), ShellQuote(latin)}) {
        o = Orvane("xml " + file);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.out + o.err, Source(kExampleXml));
    }

    auto rpt = std::make_shared<::orvane::Orvane>();
    ASSERT_TRUE(rpt->LoadXPDFile(xpd));
    ASSERT_EQ(rpt->ResDataCollection->Count(), 2);
    EXPECT_EQ(rpt->GetResdata("pie")->TextData, Source("examples/sales/pie.txt"));
    ASSERT_NE(rpt->GetResdata("logo")->PicData, nullptr);
    EXPECT_EQ(rpt->GetResdata("logo")->PicData->Bytes(), Source("examples/sales/logo.png"));

    // A failed pack leaves the older package alone.
    const std::string before = ReadFile(xpd);
    WriteFile(dir.file("notapicture.png"), "just text");
    o = Orvane("pack " + kExampleXml + " -o " + ShellQuote(xpd) +
               " --picture logo=" + ShellQuote(dir.file("notapicture.png")));
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("La imágen nos es válida."), std::string::npos) << o.err;
    EXPECT_EQ(ReadFile(xpd), before);
    EXPECT_FALSE(fs::exists(xpd + ".partial"));

    // A broken resource in a package is a warning, not a failure.
    WriteFile(dir.file("logo.img"), "not a picture any more");
    ASSERT_EQ(std::system(("cd " + ShellQuote(dir.path().string()) + " && zip -q ventas.xpd logo.img").c_str()), 0);
    o = Orvane("show " + ShellQuote(xpd));
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("    logo [Pic_logo]\n"), std::string::npos);
    EXPECT_EQ(o.err, "orvane: " + xpd + ": warning: logo.img: La imágen nos es válida.\n");

    // Every failure: nothing on standard output, one line on standard error
    // naming the cause, and the status.
    WriteFile(dir.file("plain.txt"), "hello, not a report");
    WriteFile(dir.file("broken.xml"), "<?xml version=\"1.0\"?>\n<Orvane Name=\"x\">\n<eDialogs></eDialog>\n</Orvane>");
    WriteFile(dir.file("other.xml"), "<eCTable Name=\"t\"/>");
    WriteFile(dir.file("contradicts.xml"), testing::Encode("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Orvane/>",
                                                           {"ISO-8859-15", "UTF-16BE", "\xFE\xFF"}));
    WriteFile(dir.file("garbage.xpd"), std::string("PK\x03\x04", 4) + "not really an archive");
    ASSERT_EQ(std::system(("cd " + ShellQuote(dir.path().string()) + " && zip -q nosource.xpd plain.txt").c_str()), 0);
    const std::string d = dir.path().string() + "/";
    struct Case {
        std::string args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {"show " + ShellQuote(d + "missing.xpd"), 1, "missing.xpd: no such file"},
        {"xml " + ShellQuote(d), 1, "is a folder"},
        {"show " + ShellQuote(d + "plain.txt"), 1, "neither a report package (zip) nor a definition XML text"},
        {"xml " + ShellQuote(d + "garbage.xpd"), 1, "no es un paquete legible"},
        {"show " + ShellQuote(d + "nosource.xpd"), 1, "the package holds no source.xml"},
        {"show " + ShellQuote(d + "broken.xml"), 1, "Line #: 3; Line Position: "},
        {"xml " + ShellQuote(d + "other.xml"), 1, "not a report definition (root element <eCTable>"},
        {"show " + ShellQuote(d + "contradicts.xml"), 1,
         "la marca de orden de bytes (UTF-16BE) contradice la codificación declarada (ISO-8859-15)"},
        {"pack " + ShellQuote(d + "nosource.xpd") + " -o " + ShellQuote(d + "o.xpd"), 1, "is a package"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --text pie", 1, "NAME=PATH expected"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --text a/b=examples/sales/pie.txt", 1,
         "cannot be a file name"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") +
             " --text pie=examples/sales/pie.txt --picture PIE=examples/sales/logo.png",
         1, "\"PIE\" given twice"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --picture logo=" + ShellQuote(d + "none.png"), 1,
         "none.png: no such file"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "nofolder/o.xpd"), 1, "the folder does not exist"},
        {"", 2, "subcommand is required"},
        {"grid " + kExampleXml + " lblPie", 1,
         "orvane: examples/sales/ventas.xml: control \"lblPie\" (class \"Label\") has no linked print table: it must "
         "be of class \"ePrnGridControl.ePrnGrid\" with a \"Tables\" data block holding a table layout\n"},
        {"grid " + kExampleXml + " ninguno", 1, "no control named \"ninguno\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome bad = Orvane(c.args);
        EXPECT_EQ(bad.status, c.status);
        EXPECT_EQ(bad.out, "");
        EXPECT_EQ(bad.err.rfind("orvane: ", 0), 0u) << bad.err;
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
        EXPECT_NE(bad.err.find(c.says), std::string::npos) << bad.err;
    }
    EXPECT_FALSE(fs::exists(d + "o.xpd"));
}

// orvane grid: the linked print table of a print-grid control, as text.
TEST(CliGrid, PrintsTheTableRowsAndCellsOfFormatAndDialogControls) {
    const Outcome o = Orvane("grid examples/sales/ventas.xml grdpedidos");
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

    // Dialog controls are found too, and each item stays on one line.
    ePrnTable table;
    table.Name = "t";
    auto row = std::make_shared<ePrnRow>();
    row->Caption = "dos\r\nlíneas \"x\" €";
    table.Rows->Add(row);
    ::orvane::Orvane rpt;
    auto dlg = std::make_shared<eDialog>();
    dlg->Name = "dlg";
    auto grid = std::make_shared<eControl>();
    grid->Name = "rejilla";
    grid->Class = "ePrnGridControl.ePrnGrid";
    // Inside the definition the layout is characters (the writer keeps the
    // euro sign as it is): the encoding it declares no longer applies.
    grid->ExtData("Tables")->DatB64 = text::ReplaceAll(table.ToXML(), "UTF-8", "windows-1252");
    dlg->eControls->Add(grid);
    rpt.eDialogs->Add(dlg);
    testing::ScratchDir dir;
    testing::WriteFile(dir.file("r.xml"), rpt.ToXML());

    const Outcome d = Orvane("grid " + ShellQuote(dir.file("r.xml")) + " rejilla");
    EXPECT_EQ(d.status, 0) << d.err;
    EXPECT_EQ(d.out,
              "table \"t\" width=0 height=0 rows=1\n"
              "row 1 \"\" height=0 width=0 caption=\"dos\\r\\nlíneas \\\"x\\\" €\" cells=0\n");
}

}  // namespace
}  // namespace orvane
