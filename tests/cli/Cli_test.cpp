// The command-line host driven as a user would: arguments in, output, error
// line and exit status out, on the example report and on broken inputs:
// show, xml, pack and grid.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

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

// The English words of a text of ours, once what may stay as it is is taken
// out: quoted items, option names, the choices of an option, paths, and
// the XML reader's framing labels, which the definition format fixes in
// English.
std::vector<std::string> EnglishWords(std::string text) {
    static const std::set<std::string> kEnglish = {
        "the",       "and",     "or",     "of",      "to",         "is",         "are",         "was",      "be",
        "cannot",    "could",   "can",    "with",    "without",    "for",        "from",        "into",     "this",
        "that",      "which",   "file",   "folder",  "expected",   "unknown",    "required",    "argument", "arguments",
        "option",    "options", "usage",  "print",   "step",       "steps",      "row",         "rows",     "report",
        "package",   "record",  "value",  "invalid", "missing",    "found",      "named",       "must",     "help",
        "exit",      "table",   "cell",   "width",   "height",     "caption",    "warning",     "failed",   "failure",
        "given",     "twice",   "holds",  "none",    "see",        "subcommand", "positionals", "such",     "needs",
        "installed", "opened",  "not",    "also",    "each",       "every",      "name",        "resource", "picture",
        "list",      "items",   "layout", "linked",  "definition", "tree",       "limit",       "reached"};
    for (const char* fixed : {"Error #: ", "Line #: ", "Line Position: ", "Position In File: ", "Source Text: "})
        text = std::regex_replace(text, std::regex(fixed), " ");
    for (const char* kept : {R"("[^"\n]*")", R"(--?[A-Za-z][\w-]*)", R"(\{[^}]*\})", R"([^\s:;(]*[/.][^\s:;)]*)"})
        text = std::regex_replace(text, std::regex(kept), " ");
    std::vector<std::string> found;
    const std::regex word(R"(\b[A-Za-z]+\b)");
    for (auto w = std::sregex_iterator(text.begin(), text.end(), word); w != std::sregex_iterator(); ++w) {
        std::string lower = w->str();
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (kEnglish.count(lower)) found.push_back(w->str());
    }
    return found;
}

// orvane's help and each kind of mistake in its arguments or in what they
// name, and its outputs, speak Spanish; the status tells the kind. (The
// outputs and errors compared whole elsewhere are not repeated here.)
TEST(CliSpanish, HelpArgumentErrorsAndOutputsHaveNoEnglishWord) {
    const std::string x = kExampleXml;
    const std::pair<std::string, int> cases[] = {{"--help", 0},
                                                 {"show --help", 0},
                                                 {"xml --help", 0},
                                                 {"grid --help", 0},
                                                 {"pack --help", 0},
                                                 {"run --help", 0},
                                                 {"connections --help", 0},
                                                 {"check --help", 0},
                                                 {"nada", 2},
                                                 {"--nada", 2},
                                                 {"show", 2},
                                                 {"show a b", 2},
                                                 {"pack " + x, 2},
                                                 {"run " + x + " --limit x", 2},
                                                 {"run " + x + " --limit", 2},
                                                 {"run " + x + " --timeout 0", 2},
                                                 {"run " + x + " --requery=x", 2},
                                                 {"run " + x + " --connection x", 1},
                                                 {"run " + x + " --connection 'ventas=Provider=Nadie'", 1},
                                                 {"run " + x + " --connection 'ventas=Provider=SQLite'", 1},
                                                 {"connections " + x, 0},
                                                 {"check " + x, 0}};
    for (const auto& [args, status] : cases) {
        SCOPED_TRACE(args);
        const Outcome o = testing::RunOrvane(args);
        EXPECT_EQ(o.status, status) << o.err;
        EXPECT_EQ(EnglishWords(o.out + o.err), std::vector<std::string>{}) << o.out + o.err;
    }
}

std::string Source(const std::string& rel) {
    return ReadFile(fs::path(ORVANE_SOURCE_DIR) / rel);
}

TEST(Cli, ShowPrintsTheExampleTree) {
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
    EXPECT_EQ(o.err, "orvane: " + xpd + ": aviso: logo.img: La imágen nos es válida.\n");

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
        {"show " + ShellQuote(d + "missing.xpd"), 1, "missing.xpd: el archivo no existe\n"},
        {"xml " + ShellQuote(d), 1, ": es una carpeta, no un archivo\n"},
        {"show " + ShellQuote(d + "plain.txt"), 1,
         "plain.txt: no es un paquete de reporte (zip) ni un XML de definición\n"},
        {"xml " + ShellQuote(d + "garbage.xpd"), 1, "no es un paquete legible"},
        {"show " + ShellQuote(d + "nosource.xpd"), 1, "nosource.xpd: el paquete no contiene source.xml\n"},
        {"show " + ShellQuote(d + "broken.xml"), 1,
         "broken.xml: Error #: 7: la etiqueta de cierre no corresponde a la de apertura; Line #: 3; Line Position: "},
        {"xml " + ShellQuote(d + "other.xml"), 1,
         "other.xml: no es una definición de reporte (el elemento raíz es <eCTable>; se esperaba <Orvane>)\n"},
        {"show " + ShellQuote(d + "contradicts.xml"), 1,
         "la marca de orden de bytes (UTF-16BE) contradice la codificación declarada (ISO-8859-15)"},
        {"pack " + ShellQuote(d + "nosource.xpd") + " -o " + ShellQuote(d + "o.xpd"), 1,
         "nosource.xpd: es un paquete; indique el XML de definición\n"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --text pie", 1,
         "orvane: recurso \"pie\": se esperaba NOMBRE=RUTA\n"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --text a/b=examples/sales/pie.txt", 1,
         "orvane: el nombre de recurso \"a/b\" no puede ser un nombre de archivo\n"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") +
             " --text pie=examples/sales/pie.txt --picture PIE=examples/sales/logo.png",
         1,
         "orvane: el nombre de recurso \"PIE\" se da dos veces (los nombres deben distinguirse en algo más que "
         "mayúsculas y minúsculas)\n"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "o.xpd") + " --picture logo=" + ShellQuote(d + "none.png"), 1,
         "none.png: el archivo no existe\n"},
        {"pack " + kExampleXml + " -o " + ShellQuote(d + "nofolder/o.xpd"), 1, "o.xpd: la carpeta no existe\n"},
        {"", 2,
         "orvane: falta la orden: indique una de show, xml, grid, pack, run, connections o check (vea orvane "
         "--help)\n"},
        {"grid " + kExampleXml + " lblPie", 1,
         "orvane: examples/sales/ventas.xml: el control \"lblPie\" (clase \"Label\") no tiene tabla de impresión "
         "vinculada: debe ser de la clase \"ePrnGridControl.ePrnGrid\" y tener un bloque de datos \"Tables\" con "
         "una tabla\n"},
        {"grid " + kExampleXml + " ninguno", 1,
         "orvane: examples/sales/ventas.xml: ningún control se llama \"ninguno\" en sus formatos de impresión ni en "
         "sus diálogos\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome bad = Orvane(c.args);
        EXPECT_EQ(bad.status, c.status);
        EXPECT_EQ(bad.out, "");
        EXPECT_EQ(bad.err.rfind("orvane: ", 0), 0u) << bad.err;
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
        EXPECT_NE(bad.err.find(c.says), std::string::npos) << bad.err;
        EXPECT_EQ(EnglishWords(bad.err), std::vector<std::string>{}) << bad.err;
    }
    EXPECT_FALSE(fs::exists(d + "o.xpd"));
}

// orvane grid: the linked print table of a print-grid control, as text.
TEST(CliGrid, PrintsTheTableRowsAndCellsOfFormatAndDialogControls) {
    const Outcome o = Orvane("grid examples/sales/ventas.xml grdpedidos");
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "tabla \"tblPedidos\" ancho=190 alto=18 filas=3\n"
              "fila 1 \"encabezado\" alto=6 ancho=190 título=\"Encabezado\" celdas=4\n"
              "  celda 1 \"hFecha\" ancho=30 título=\"Fecha\" origen=\"\"\n"
              "  celda 2 \"hPedido\" ancho=25 título=\"Pedido\" origen=\"\"\n"
              "  celda 3 \"hProducto\" ancho=85 título=\"Producto\" origen=\"\"\n"
              "  celda 4 \"hImporte\" ancho=50 título=\"Importe (€)\" origen=\"\"\n"
              "fila 2 \"detalle\" alto=6 ancho=190 título=\"Líneas del pedido\" celdas=4\n"
              "  celda 1 \"cFecha\" ancho=30 título=\"\" origen=\"pedidos.fecha\"\n"
              "  celda 2 \"cPedido\" ancho=25 título=\"\" origen=\"pedidos.id_pedido\"\n"
              "  celda 3 \"cProducto\" ancho=85 título=\"\" origen=\"lineas.producto\"\n"
              "  celda 4 \"cImporte\" ancho=50 título=\"\" origen=\"lineas.importe\"\n"
              "fila 3 \"total\" alto=6 ancho=190 título=\"Total del cliente\" celdas=2\n"
              "  celda 1 \"tEtiqueta\" ancho=140 título=\"Total\" origen=\"\"\n"
              "  celda 2 \"tImporte\" ancho=50 título=\"\" origen=\"=Sum(lineas.importe)\"\n");

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
              "tabla \"t\" ancho=0 alto=0 filas=1\n"
              "fila 1 \"\" alto=0 ancho=0 título=\"dos\\r\\nlíneas \\\"x\\\" €\" celdas=0\n");
}

}  // namespace
}  // namespace orvane
