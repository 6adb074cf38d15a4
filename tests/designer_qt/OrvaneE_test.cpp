#include "designer/qt/OrvaneE.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "designer/DesignerDialogs.h"
#include "designer/qt/QtDesignerDialogs.h"
#include "designer/qt/QtTreeControl.h"
#include "support/TestSupport.h"
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using designer::OrvaneE;
using designer::QtTreeControl;
using designer::TreeError;

const QString kExample = ORVANE_SOURCE_DIR "/examples/sales/ventas.xml";

// Installs the Qt dialogs for one test.
class WithDialogs {
public:
    WithDialogs() : previous_(designer::SetDesignerDialogs(std::make_shared<designer::QtDesignerDialogs>())) {}
    ~WithDialogs() { designer::SetDesignerDialogs(previous_); }

private:
    std::shared_ptr<designer::DesignerDialogs> previous_;
};

void Select(OrvaneE& w, const std::string& key) {
    auto node = w.Tree().Nodes().Item(key);
    ASSERT_NE(node, nullptr) << key;
    w.Tree().SelectedItem(node);
}

TEST(QtTreeControl, RefusesRepeatedKeysAndMissingImagesButShowsEveryIcon) {
    EnsureApplication();
    QTreeWidget widget;
    QtTreeControl tree(&widget);
    tree.SetImageList(designer::StandardImages());
    auto root = tree.Nodes().Add(nullptr, designer::tvwChild, "@OvA", "A", 1);
    auto child = tree.Nodes().Add(root, designer::tvwChild, "Cnn_x", "x", 0);
    EXPECT_THROW(tree.Nodes().Add(root, designer::tvwChild, "CNN_X", "y"), TreeError);
    EXPECT_THROW(tree.Nodes().Add(root, designer::tvwChild, "k", "y", 99), TreeError);
    EXPECT_THROW(tree.Nodes().Add(root, 7, "k", "y"), TreeError);
    EXPECT_EQ(tree.Nodes().Count(), 2);
    EXPECT_EQ(child->Parent(), root);
    EXPECT_EQ(tree.Nodes().Item("cnn_X"), child);
    EXPECT_TRUE(widget.topLevelItem(0)->child(0)->icon(0).isNull());
    tree.Nodes().Clear();
    EXPECT_EQ(child->Parent(), nullptr);
    EXPECT_EQ(child->Text(), "x");
    EXPECT_THROW(tree.Nodes().Add(child, designer::tvwChild, "", "z"), TreeError);

    OrvaneE window;
    ASSERT_TRUE(window.OpenFile(kExample));
    QTreeWidgetItemIterator it(window.tvwOrvane);
    int keyed = 0;
    for (; *it; ++it) {
        auto node = window.Tree().NodeOf(*it);
        ASSERT_NE(node, nullptr);
        if (node->Key().empty()) continue;
        ++keyed;
        EXPECT_FALSE((*it)->icon(0).isNull()) << node->Key();
    }
    EXPECT_GT(keyed, 10);
}

TEST(OrvaneE, EditsAddsSavesAndTheSavedPackageLoadsBack) {
    ScriptedRunner runner;
    MessageRecorder messages;
    WithDialogs dialogs;
    ManagerFile manager(false);
    ScratchDir dir;
    const QString saved = QString::fromStdString(dir.file("copia.xpd"));
    auto previous = designer::SetFileChooser([&](QWidget*, const QString&, const QString&, bool) { return saved; });

    OrvaneE w;
    ASSERT_TRUE(w.OpenFile(kExample));
    EXPECT_EQ(w.windowTitle(), "ventas.xml[*] - Diseñador de reportes");
    EXPECT_FALSE(w.isWindowModified());
    const std::string firstConnection = w.Report()->eConections->Item(1)->Name;

    Select(w, "Cnn_" + firstConnection);
    EXPECT_TRUE(w.mnuAConexion->isEnabled());
    EXPECT_FALSE(w.mnuAParametro->isEnabled());
    runner.Then([](QDialog& d) {
        Click(d, "opt(3)");
        auto* text = Find<QPlainTextEdit>(d, "txtCnn");
        text->selectAll();
        QTest::keyClick(text, Qt::Key_Delete);
        QTest::keyClicks(text, "Provider=SQLite;Data Source=otra.db");
        Click(d, "cmdOk");
    });
    w.Editar();
    EXPECT_EQ(w.Report()->eConections->Item(1)->cnnString, "Provider=SQLite;Data Source=otra.db");
    EXPECT_TRUE(w.isWindowModified());

    Select(w, "@Parameters");
    EXPECT_TRUE(w.mnuAParametro->isEnabled());
    EXPECT_FALSE(w.mnuAConexion->isEnabled());
    EXPECT_FALSE(w.mnuAeRSource->isEnabled());
    EXPECT_FALSE(w.mnuAeRSource->toolTip().isEmpty());
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "pTope");
        Click(d, "optSuperType(1)");
        Type(d, "txtPredef", "250");
        Click(d, "cmdOK");
    });
    w.mnuAParametro->trigger();
    ASSERT_NE(w.Tree().Nodes().Item("Prm_pTope"), nullptr);

    // Editing the new parameter through its node, then cancelling, changes nothing.
    Select(w, "Prm_pTope");
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "otro");
        Click(d, "Command2");
    });
    w.Editar();
    EXPECT_NE(w.Tree().Nodes().Item("Prm_pTope"), nullptr);

    ASSERT_TRUE(w.GuardarComo());
    EXPECT_EQ(w.windowTitle(), "copia.xpd[*] - Diseñador de reportes");
    EXPECT_FALSE(w.isWindowModified());
    designer::SetFileChooser(previous);

    Orvane back;
    ASSERT_TRUE(back.LoadXPDFile(saved.toStdString()));
    EXPECT_EQ(back.GetConnection(firstConnection)->cnnString, "Provider=SQLite;Data Source=otra.db");
    ASSERT_NE(back.GetParameter("pTope"), nullptr);
    EXPECT_EQ(back.GetParameter("pTope")->eType(), "adDouble");
    EXPECT_EQ(back.GetParameter("pTope")->Predef, "250");
    EXPECT_EQ(back.ToXML(), w.Report()->ToXML());
    // The only message: the connection editor finds no connection manager.
    ASSERT_EQ(messages->Taken().size(), 1u);
    EXPECT_EQ(messages->Taken()[0].text.rfind("No se encuentra el componente", 0), 0u);
}

TEST(OrvaneE, AsksBeforeDroppingUnsavedChanges) {
    ScriptedRunner runner;
    MessageRecorder messages;
    WithDialogs dialogs;
    OrvaneE w;
    w.show();
    ASSERT_TRUE(w.OpenFile(kExample));
    Select(w, "@Dialogs");
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "dlgNuevo");
        Type(d, "txtProperties", "p");
        Click(d, "cmdOK");
    });
    w.mnuADialogo->trigger();
    ASSERT_TRUE(w.isWindowModified());

    messages->QueueAnswer(platform::MsgAnswer::No);
    EXPECT_FALSE(w.close());
    w.Nuevo();  // answered No by default: stays
    EXPECT_NE(w.Report()->GetDialog("dlgNuevo"), nullptr);
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.Nuevo();
    EXPECT_EQ(w.Report()->eDialogs->Count(), 0);
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_EQ(w.windowTitle(), "Sin título[*] - Diseñador de reportes");
    EXPECT_TRUE(w.close());  // nothing to lose: no question
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    for (const auto& m : taken) {
        EXPECT_EQ(m.text, "El reporte tiene cambios sin guardar. ¿Desea descartarlos?");
        EXPECT_EQ(m.buttons, platform::MsgButtons::YesNo);
    }
}

TEST(OrvaneE, AFileThatCannotBeReadLeavesTheDefinitionShown) {
    EnsureApplication();
    MessageRecorder messages;
    ScratchDir dir;
    WriteFile(dir.file("roto.xpd"), "no es un zip");
    OrvaneE w;
    ASSERT_TRUE(w.OpenFile(kExample));
    const std::string before = w.Report()->ToXML();
    EXPECT_FALSE(w.OpenFile(QString::fromStdString(dir.file("roto.xpd"))));
    EXPECT_FALSE(w.OpenFile(QString::fromStdString(dir.file("falta.xml"))));
    EXPECT_EQ(w.Report()->ToXML(), before);
    EXPECT_EQ(w.windowTitle(), "ventas.xml[*] - Diseñador de reportes");
    // The package reader reports its own failure first.
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[1].text, "No se pudo abrir el reporte " + dir.file("roto.xpd"));
    EXPECT_EQ(taken[2].text, "No se pudo abrir el reporte " + dir.file("falta.xml"));
    EXPECT_EQ(taken[2].icon, platform::MsgIcon::Critical);
}

}  // namespace
}  // namespace orvane::testing
