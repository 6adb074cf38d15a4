// The report tree: node order, keys, plain and detailed forms, and what a
// rejected node leaves behind.
#include "designer/OrvaneUI.h"

#include <gtest/gtest.h>

#include "designer/TextTree.h"
#include "model/Orvane.h"
#include "platform/NumberFormat.h"

namespace orvane {
namespace {

using designer::TextTree;
using designer::TreeError;

std::shared_ptr<eRSource> RS(const std::string& name, const std::string& sql = {}) {
    auto rs = std::make_shared<eRSource>();
    rs->Name = name;
    rs->SQLCommand = sql;
    return rs;
}

std::shared_ptr<eConnection> Cnn(Orvane& rpt, const std::string& name, const std::string& cs = {}) {
    auto c = std::make_shared<eConnection>();
    c->Name = name;
    c->cnnString = cs;
    rpt.eConections->Add(c);
    return c;
}

std::string Tree(const Orvane& rpt, int appearance = 0) {
    OrvaneUI ui;
    ui.appearance = static_cast<std::int16_t>(appearance);
    TextTree tree;
    EXPECT_TRUE(ui.ShowInTvw(rpt, tree));
    return tree.Print();
}

// A dialog with a control and a record source; a format.
std::shared_ptr<Orvane> DialogReport() {
    auto rpt = std::make_shared<Orvane>();
    rpt->Name = "D";
    auto d = std::make_shared<eDialog>();
    d->Name = "dlg";
    d->Class = "cls";
    d->Height = 1.5f;
    d->Load = "L";
    d->OnCancel = "C";
    d->OncontrolEvent = "E";
    d->OnOK = "K";
    d->Title = "T";
    d->Validate = "V";
    d->Width = 4500;
    auto c = std::make_shared<eControl>();
    c->Name = "txt";
    c->Visible = true;
    c->TabIndex = -3;
    c->ExtProperty("Caption")->Value = Variant("Fecha");
    c->ExtData("Tables")->DatB64 = "QUJD";
    d->eControls->Add(c);
    d->eRSources->Add(RS("lista"));
    rpt->eDialogs->Add(d);
    auto f = std::make_shared<ePrnFormat>();
    f->Name = "fmt";
    f->Properties = "P";
    rpt->ePrnFormats->Add(f);
    return rpt;
}

TEST(ReportTree, DetailedTreeShowsDetailsThenControlsThenRecordSources) {
    auto rpt = DialogReport();
    auto c2 = Cnn(*rpt, "dos", "@DataLinkFile(\"b.udl\")");
    c2->Internal = true;
    auto top = RS("clientes", "SELECT *\r\nFROM clientes");
    top->eCnn = c2;
    top->TypeofCommand = "1";
    top->eFieldNametoParameters = "id";
    top->idParameterLinked = "IdCliente";
    c2->eRSources->Add(top);
    auto p = std::make_shared<eParameter>();
    p->Name = "Desde";
    p->Predef = "@fecha";
    p->eType("adDBDate|dd/mm/yy");
    rpt->eParameters->Add(p);
    platform::ScopedDecimalSeparator comma(',');
    EXPECT_EQ(Tree(*rpt, 2),
              "D [@OvD]\n"
              "  Conexiones [@Connections]\n"
              "    dos [Cnn_dos]\n"
              "      @DataLinkFile(\"b.udl\") [cnnString1]\n"
              "      True [Internal1]\n"
              "      clientes [Rst_clientes]\n"
              "        dos\n        \n        \n"
              "        SELECT *\\r\\nFROM clientes\n"
              "        1\n        \n        id\n        IdCliente\n"
              "  Parámetros [@Parameters]\n"
              "    Desde [Prm_Desde]\n"
              "      @fecha\n"
              "      adDBDate\n"
              "  Diálogos [@Dialogs]\n"
              "    dlg [Dlg_dlg]\n"
              "      cls\n      1,5\n      L\n      C\n      E\n      K\n      T\n      V\n      4500\n"
              "      Controls\n"
              "        txt\n"
              "          \n          \n          False\n          Caption='Fecha';\n"
              "          0\n          0\n          False\n          -3\n          0\n          True\n          0\n"
              "          Data\n"
              "            Tables\n"
              "            QUJD\n"
              "      lista [Rst_lista]\n"
              "        \n        \n        \n        \n        \n        \n        \n        \n"
              "  Formatos de impresión [@PrnFormats]\n"
              "    fmt [Fmt_fmt]\n"
              "      P\n"
              "      Controls\n"
              "  Imágenes y textos [@ResDataCol]\n"
              "  Sub-Programa [@ScriptCode]\n");
}

TEST(ReportTree, RejectedNodeEndsTheCallAndKeepsEarlierNodes) {
    Orvane rpt;
    Cnn(rpt, "a")->eRSources->Add(RS("R"));
    Cnn(rpt, "b")->eRSources->Add(RS("r"));  // keys are compared exactly: "r" is a node of its own
    rpt.GetConnection("b")->eRSources->Add(RS("R"));
    rpt.eParameters->Add(std::make_shared<eParameter>());
    OrvaneUI ui;
    TextTree tree;
    try {
        ui.ShowInTvw(rpt, tree);
        FAIL() << "a duplicate key must end the call";
    } catch (const TreeError& e) {
        EXPECT_EQ(e.kind(), TreeError::Kind::DuplicateKey);
    }
    EXPECT_EQ(tree.Print(),
              " [@Ov]\n"
              "  Conexiones [@Connections]\n"
              "    a [Cnn_a]\n"
              "      R [Rst_R]\n"
              "    b [Cnn_b]\n"
              "      r [Rst_r]\n");
    // Showing again on the same tree fails at the root.
    EXPECT_THROW(ui.ShowInTvw(Orvane(), tree), TreeError);
    EXPECT_EQ(tree.Nodes().Count(), 6);
}

}  // namespace
}  // namespace orvane
