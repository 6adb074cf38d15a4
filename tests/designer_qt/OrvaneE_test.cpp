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

// Packs the example as its build script does, into folder; "" on failure.
std::string PackExample(const ScratchDir& folder) {
    const std::string out = folder.file("ventas.xpd");
    const std::string cmd = "cd '" ORVANE_SOURCE_DIR "' && '" ORVANE_CLI "' pack examples/sales/ventas.xml -o '" + out +
                            "' --picture logo=examples/sales/logo.png --text pie=examples/sales/pie.txt >/dev/null";
    return std::system(cmd.c_str()) == 0 ? out : std::string();
}

void SetConnectionText(ScriptedRunner& runner, const std::string& text) {
    runner.Then([text](QDialog& d) {
        auto* edit = Find<QPlainTextEdit>(d, "txtCnn");
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromStdString(text));
        Click(d, "cmdOk");
    });
}

TEST(OrvaneE, ThePackagedExampleIsEditedSavedAndLoadsBackWithTheMarkFollowingIsDirty) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    WithDialogs dialogs;
    ScratchDir dir;
    const std::string package = PackExample(dir);
    ASSERT_FALSE(package.empty());
    const QString copy = QString::fromStdString(dir.file("copia.xpd"));
    auto previous = designer::SetFileChooser([&](QWidget*, const QString&, const QString&, bool save) {
        EXPECT_TRUE(save);
        return copy;
    });

    OrvaneE w;
    w.show();
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(package)));
    EXPECT_EQ(w.windowTitle(), "ventas.xpd[*] - Diseñador de reportes");
    const auto original = w.Report()->GetConnection("ventas")->cnnString;
    const auto resources = w.Report()->ResDataCollection->Count();
    ASSERT_GT(resources, 0);
    auto mark = [&w] {
        EXPECT_EQ(w.isWindowModified(), w.Report()->IsDirty());
        return w.isWindowModified();
    };
    EXPECT_FALSE(mark());

    // The tree is rebuilt after each accepted edit, so the node is chosen again each time.
    for (const std::string& text : {std::string("Provider=SQLite;Data Source=/srv/ventas-2026.db"), original}) {
        Select(w, "Cnn_ventas");
        SetConnectionText(runner, text);
        w.mnuEditar->trigger();
        EXPECT_EQ(mark(), text != original);  // back as it was: nothing left to save
    }
    Select(w, "Cnn_ventas");
    SetConnectionText(runner, "Provider=SQLite;Data Source=/srv/ventas-2026.db");
    w.mnuEditar->trigger();

    Select(w, "Prm_Ciudad");
    runner.Then([](QDialog& d) {
        EXPECT_EQ(Find<QLineEdit>(d, "txtPredef")->text(), "%");
        Type(d, "txtPredef", "Bil%");
        Click(d, "cmdOK");
    });
    w.mnuEditar->trigger();
    Select(w, "Prm_Ciudad");
    runner.Then([](QDialog& d) {
        Type(d, "txtPredef", "otro");
        Click(d, "Command2");
    });
    w.mnuEditar->trigger();
    EXPECT_TRUE(mark());
    EXPECT_EQ(runner.Shown(), 5);

    ASSERT_TRUE(w.GuardarComo());
    designer::SetFileChooser(previous);
    EXPECT_EQ(w.windowTitle(), "copia.xpd[*] - Diseñador de reportes");
    EXPECT_FALSE(mark());

    Orvane back;
    ASSERT_TRUE(back.LoadXPDFile(copy.toStdString()));
    EXPECT_EQ(back.GetConnection("ventas")->cnnString, "Provider=SQLite;Data Source=/srv/ventas-2026.db");
    EXPECT_EQ(back.GetParameter("Ciudad")->Predef, "Bil%");
    EXPECT_EQ(back.ResDataCollection->Count(), resources);
    EXPECT_EQ(back.ToXML(), w.Report()->ToXML());
    ASSERT_TRUE(w.OpenFile(copy));
    EXPECT_FALSE(mark());
    EXPECT_EQ(w.Report()->GetParameter("Ciudad")->Predef, "Bil%");
    EXPECT_TRUE(messages->Taken().empty());
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
