// The toolkit-free designer: the text tree control, the report tree (node
// order, keys, plain and detailed forms, what a rejected node leaves behind)
// and the edit and add operations behind the dialogs.
#include <orvanespt/designer/OrvaneUI.h>

#include <gtest/gtest.h>

#include <orvanespt/designer/DesignerDialogs.h>
#include <orvanespt/designer/TextTree.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/NumberFormat.h>
#include "support/TestSupport.h"

namespace orvane::designer {
namespace {

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


TEST(TextTree, RelationshipsPlaceNodesAmongSiblingsAndClearFreesTheKeys) {
    TextTree t;
    auto& n = t.Nodes();
    auto root = n.Add(nullptr, tvwChild, "root", "root");
    auto b = n.Add(root, tvwChild, "b", "b");
    n.Add(b, tvwFirst, std::nullopt, "a");
    n.Add(b, tvwLast, "", "e");
    auto d = n.Add(b, tvwNext, "d", "d");
    n.Add(d, tvwPrevious, "c", "c");
    n.Add(d, tvwChild, "d1", "d1", 5);
    n.Add(root, tvwNext, "top2", "top2");
    EXPECT_EQ(t.Print(), "root [root]\n  a\n  b [b]\n  c [c]\n  d [d]\n    d1 [d1]\n  e\ntop2 [top2]\n");
    EXPECT_EQ(n.Item("d1")->Image(), 5);
    EXPECT_EQ(n.Item("c")->Parent(), root);

    // Clear detaches the nodes and frees their keys; line breaks in texts stay on one line.
    t.SelectedItem(d);
    EXPECT_EQ(t.SelectedItem(), d);
    n.Clear();
    EXPECT_EQ(t.Print(), "");
    EXPECT_EQ(n.Count(), 0);
    EXPECT_EQ(t.SelectedItem(), nullptr);
    EXPECT_EQ(d->Parent(), nullptr);
    EXPECT_THROW(n.Add(d, tvwChild, "x", "x"), TreeError);
    auto again = n.Add(nullptr, tvwChild, "d", "SELECT *\r\nFROM t\r");
    again->Text(again->Text() + "!");
    n.Add(nullptr, tvwChild, "k\n", "k");
    EXPECT_EQ(t.Print(), "SELECT *\\r\\nFROM t\\r! [d]\nk [k\\n]\n");
}

TEST(TextTree, RejectsBadNodesWithoutChangingTheTree) {
    TextTree t, other;
    auto root = t.Nodes().Add(nullptr, tvwChild, "Key", "x");
    auto stranger = other.Nodes().Add(nullptr, tvwChild, "s", "s");
    auto kindOf = [&](auto add) {
        try {
            add();
        } catch (const TreeError& e) {
            return e.kind();
        }
        ADD_FAILURE() << "no error";
        return TreeError::Kind::BadImage;
    };
    EXPECT_EQ(kindOf([&] { t.Nodes().Add(stranger, tvwChild, "z", "z"); }), TreeError::Kind::BadRelative);
    EXPECT_EQ(kindOf([&] { t.Nodes().Add(root, 5, "z", "z"); }), TreeError::Kind::BadRelationship);
    EXPECT_EQ(kindOf([&] { t.SelectedItem(stranger); }), TreeError::Kind::BadRelative);
    EXPECT_EQ(t.Print(), "x [Key]\n");
    EXPECT_EQ(t.Nodes().Count(), 1);
}

// The record source editor accepted with a name chosen by the test.
class NamingEditor : public CancellingDialogs {
public:
    std::string name;
    std::string noNameSeen = "unset";
    std::shared_ptr<eRSource> AddeRSource(const OrvaneUI&, const std::shared_ptr<eConnection>& eC,
                                          const std::string& noName) override {
        noNameSeen = noName;
        auto rs = std::make_shared<eRSource>();
        rs->Name = name;
        rs->eCnn = eC;
        return rs;
    }
};

template <typename T>
std::shared_ptr<T> Named(const std::string& name) {
    auto x = std::make_shared<T>();
    x->Name = name;
    return x;
}

TEST(DesignerDialogs, AddeRSourceRefusesANameUsedAnywhere) {
    auto editor = std::make_shared<NamingEditor>();
    auto previous = SetDesignerDialogs(editor);
    testing::MessageRecorder messages;
    OrvaneUI ui;
    ui.objOrvane = std::make_shared<Orvane>();
    auto first = Named<eConnection>("uno"), second = Named<eConnection>("dos");
    ui.objOrvane->AddConnection(first);
    ui.objOrvane->AddConnection(second);
    auto top = Named<eRSource>("Clientes"), nested = Named<eRSource>("Lineas");
    top->eRSources->Add(nested);
    first->eRSources->Add(top);
    auto dialog = std::make_shared<eDialog>();
    dialog->eRSources->Add(Named<eRSource>("ciudades"));
    ui.objOrvane->eDialogs->Add(dialog);

    for (const char* taken : {"CLIENTES", "lineas", "Ciudades"}) {
        editor->name = taken;
        EXPECT_EQ(ui.AddeRSource(second, second->eRSources, "padre"), nullptr) << taken;
        EXPECT_EQ(editor->noNameSeen, "padre");
    }
    EXPECT_EQ(second->eRSources->Count(), 0);
    ASSERT_EQ(messages->Taken().size(), 3u);
    for (const auto& m : messages->Taken()) EXPECT_EQ(m.text, "El nombre no es válido porque ya existe en el proyecto");

    editor->name = "pedidos";
    auto added = ui.AddeRSource(second, nested->eRSources);
    EXPECT_EQ(editor->noNameSeen, "");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(nested->eRSources->Item(1), added);
    EXPECT_EQ(messages->Taken().size(), 3u);
    EXPECT_EQ(ui.AddeRSource(second, nullptr), nullptr);
    SetDesignerDialogs(previous);
}

}  // namespace
}  // namespace orvane::designer
