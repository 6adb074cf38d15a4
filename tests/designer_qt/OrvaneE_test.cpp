#include <orvanespt/designer/qt/OrvaneE.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>

#include "QtTestSupport.h"
#include <orvanespt/designer/RenameReferences.h>
#include <orvanespt/designer/qt/FrmParameter.h>
#include <orvanespt/designer/qt/QtTreeControl.h>
#include <orvanespt/platform/RuntimeServices.h>
#include "support/Encodings.h"

namespace orvane::testing {
namespace {

using designer::QtTreeControl;
using designer::TreeError;

const QString kExample = ORVANE_SOURCE_DIR "/examples/sales/ventas.xml";

// Shows the window as the active one: its shortcuts answer only then.
void Activate(designer::OrvaneE& w) {
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

void Select(designer::OrvaneE& w, const std::string& key) {
    auto node = w.Tree().Nodes().Item(key);
    ASSERT_NE(node, nullptr) << key;
    w.Tree().SelectedItem(node);
}

TEST(QtTreeControl, RefusesRepeatedExactKeysAndMissingImagesAndShowsTheGivenIcon) {
    QTreeWidget widget;
    QtTreeControl tree(&widget);
    tree.SetImageList(designer::StandardImages());
    auto root = tree.Nodes().Add(nullptr, designer::tvwChild, "@OvA", "A", 1);
    auto child = tree.Nodes().Add(root, designer::tvwChild, "Cnn_x", "x", 0);
    EXPECT_THROW(tree.Nodes().Add(root, designer::tvwChild, "Cnn_x", "y"), TreeError);
    EXPECT_THROW(tree.Nodes().Add(root, designer::tvwChild, "k", "y", 99), TreeError);
    EXPECT_THROW(tree.Nodes().Add(root, 7, "k", "y"), TreeError);
    auto other = tree.Nodes().Add(root, designer::tvwChild, "CNN_X", "X");
    EXPECT_EQ(tree.Nodes().Count(), 3);
    EXPECT_EQ(child->Parent(), root);
    EXPECT_EQ(tree.Nodes().Item("Cnn_x"), child);
    EXPECT_EQ(tree.Nodes().Item("CNN_X"), other);
    EXPECT_FALSE(widget.topLevelItem(0)->icon(0).isNull());
    EXPECT_TRUE(widget.topLevelItem(0)->child(0)->icon(0).isNull());
    tree.Nodes().Clear();
    EXPECT_EQ(child->Parent(), nullptr);
    EXPECT_EQ(child->Text(), "x");
    EXPECT_THROW(tree.Nodes().Add(child, designer::tvwChild, "", "z"), TreeError);
}

// The editor window's tests record the messages and play the dialogs they
// script, over the Qt dialogs.
class OrvaneE : public ::testing::Test {
protected:
    ScriptedRunner runner;
    MessageRecorder messages;
    WithDialogs dialogs;
};

TEST_F(OrvaneE, HelpAndSpanishQtThenTheMarkFollowsEditsDeletesRenamesUndoRedoAndDroppingWorkAsksToSave) {
    designer::OrvaneE w;
    Activate(w);
    // Help is found in the build tree, and Qt speaks Spanish.
    const QString folder = designer::HelpFolderBeside(ORVANE_BINARY_DIR);
    ASSERT_FALSE(folder.isEmpty());
    const std::string previousFolder = platform::RuntimeServices::Instance().HelpFolder();
    platform::RuntimeServices::Instance().SetHelpFolder(folder.toStdString());
    std::vector<QString> opened;
    auto viewer = std::make_shared<designer::QtHelpViewer>([&](const QUrl& url) {
        opened.push_back(url.toLocalFile());
        return true;
    });
    auto previousViewer = platform::SetHelpViewer(viewer);
    QTest::keyClick(&w, Qt::Key_F1);
    designer::frmParameter parameter;  // a dialog's help button opens its own topic
    Click(parameter, "btnAyuda");
    EXPECT_TRUE(viewer->Open(folder.toStdString() + "/orvane.html", 10099));  // a topic without a page: the index
    platform::SetHelpViewer(previousViewer);
    platform::RuntimeServices::Instance().SetHelpFolder(previousFolder);
    EXPECT_TRUE(messages->Taken().empty());
    EXPECT_EQ(opened, std::vector<QString>({folder + "/orvane.html", folder + "/orvane-10037.html",
                                            folder + "/orvane.html"}));

    ASSERT_TRUE(designer::LoadSpanishTranslations());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
    for (auto* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    messages->Clear();

    ASSERT_TRUE(w.OpenFile(kExample));
    const std::string original = w.Report()->ToXML();
    Select(w, "Rst_lineas");  // accepted untouched: its CR LF line breaks stay, nothing to save
    runner.Then([](QDialog& d) { Press(d, "Command10"); });
    QTest::keyClick(w.tvwOrvane, Qt::Key_Return);
    EXPECT_FALSE(w.isWindowModified());
    Select(w, "Rst_clientes");
    runner.Then([](QDialog& d) {
        Type(d, "txtSQL", "SELECT nombre FROM clientes");
        Press(d, "btnProbarCons");  // writes the record source first
        Press(d, "Command11");      // "&Cancelar" keeps that write
    });
    QTest::keyClick(w.tvwOrvane, Qt::Key_Return);
    EXPECT_EQ(w.Report()->GetRSource("clientes")->SQLCommand, "SELECT nombre FROM clientes");
    EXPECT_TRUE(w.Report()->IsDirty());
    EXPECT_TRUE(w.isWindowModified());
    messages->Clear();  // what the test query said
    auto rename = [&](const std::string& key, const char* name) {
        Select(w, key);
        runner.Then([name](QDialog& d) {
            Type(d, "txtName", name);
            Click(d, "cmdOK");
        });
        QTest::keyClick(w.tvwOrvane, Qt::Key_F2);
    };
    rename("Prm_Ciudad", "Localidad");
    ASSERT_NE(w.Report()->GetParameter("Localidad"), nullptr);
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "Localidad");

    Select(w, "Fmt_fmtListado");
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    QTest::keyClick(w.tvwOrvane, Qt::Key_Delete);
    Select(w, "Rst_lineas");
    QTest::keyClick(w.tvwOrvane, Qt::Key_Delete);  // answered No: kept
    EXPECT_EQ(w.Report()->ePrnFormats->Count(), 0);
    EXPECT_NE(w.Report()->GetRSource("lineas"), nullptr);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].text, "¿Desea eliminar el formato de impresión \"fmtListado\"?");
    EXPECT_EQ(taken[1].text, "¿Desea eliminar el origen de registros \"lineas\"?");
    EXPECT_EQ(taken[1].defaultButton, platform::MsgAnswer::No);

    const std::string edited = w.Report()->ToXML();
    for (int i = 0; i < 3; ++i) QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(w.Report()->ToXML() == original);
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_FALSE(w.mnuDeshacer->isEnabled());
    for (int i = 0; i < 3; ++i) QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_TRUE(w.Report()->ToXML() == edited);
    EXPECT_TRUE(w.isWindowModified());

    // Work is never dropped without asking to save it, "Guardar" being the Enter answer.
    ScratchDir dir;
    const QString saved = QString::fromStdString(dir.file("guardado.xml"));
    auto previous = designer::SetFileChooser([&](QWidget*, const QString&, const QString&, bool, const QString&) {
        return saved;
    });
    messages->Clear();
    messages->QueueAnswer(platform::MsgAnswer::Cancel);
    EXPECT_FALSE(w.close());
    w.Nuevo();  // unanswered: Cancel, as Escape would
    EXPECT_TRUE(w.Report()->ToXML() == edited);
    messages->QueueAnswer(platform::MsgAnswer::Discard);
    w.Nuevo();
    EXPECT_EQ(w.Report()->eConections->Count(), 0);
    EXPECT_EQ(w.windowTitle(), "Sin título[*] - Diseñador de reportes");
    Select(w, "@Dialogs");
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "dlgOtro");
        Type(d, "txtProperties", "p");
        Click(d, "cmdOK");
    });
    w.mnuADialogo->trigger();
    ASSERT_TRUE(w.isWindowModified());
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "dlgOtro");  // the new item is revealed and selected
    messages->QueueAnswer(platform::MsgAnswer::Save);  // untitled: "Guardar como" first
    EXPECT_TRUE(w.close());
    designer::SetFileChooser(previous);
    EXPECT_NE(ReadFile(saved.toStdString()).find("<eDialog Name=\"dlgOtro\""), std::string::npos);
    EXPECT_FALSE(w.isWindowModified());
    const auto asked = messages->Taken();
    ASSERT_EQ(asked.size(), 4u);
    for (const auto& m : asked) {
        EXPECT_EQ(m.text, "El reporte tiene cambios sin guardar. ¿Desea guardarlos?");
        EXPECT_EQ(m.buttons, platform::MsgButtons::SaveDiscardCancel);
        EXPECT_EQ(m.defaultButton, platform::MsgAnswer::Save);
    }
}

TEST_F(OrvaneE, RefusesARepeatedNameShowsItemsThatDifferOnlyInCaseAndKeepsTheReportOverABadFile) {
    ManagerFile manager(true);
    ScratchDir dir;
    std::string text = ReadFile(kExample.toStdString());
    // Two parameters "Desde" and "desde", and two dialogs of one name: a file may hold them.
    text.replace(text.find("<eParameter Name=\"Hasta\""), 24, "<eParameter Name=\"desde\"");
    const std::size_t dialog = text.find("<eDialog Name=\"dlgFiltro\"");
    text.insert(dialog, "<eDialog Name=\"dlgFiltro\"></eDialog>");
    // Saved by a Windows editor as UTF-16, as the reader reads it too.
    const std::string file = dir.file("casos.xml");
    WriteFile(file, Encode(text, {"UTF-16", "UTF-16BE", "\xFE\xFF"}));
    designer::OrvaneE w;
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(file)));
    ASSERT_NE(w.Tree().Nodes().Item("Prm_desde"), nullptr);
    EXPECT_NE(w.Tree().Nodes().Item("Prm_desde"), w.Tree().Nodes().Item("Prm_Desde"));
    EXPECT_NE(w.Tree().Nodes().Item("Rst_ciudades"), nullptr);  // below the repeated dialog: still there
    EXPECT_EQ(w.tvwOrvane->topLevelItem(0)->child(4)->text(0), "Imágenes y textos");

    const std::string before = w.Report()->ToXML();
    Select(w, "@Parameters");
    EXPECT_TRUE(w.mnuAParametro->isEnabled() && !w.mnuAConexion->isEnabled() && !w.mnuAeRSource->isEnabled());
    EXPECT_FALSE(w.mnuEditar->isEnabled());  // a group is no item
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "ciudad");
        Click(d, "optSuperType(1)");
        Click(d, "cmdOK");
    });
    w.mnuAParametro->trigger();
    runner.Then([](QDialog& d) {
        Type(d, "txtName", " Pedidos ");
        Click(d, "cmdOK");
    });
    Select(w, "Rst_lineas");
    w.CambiarNombre();
    Select(w, "Prm_IdCliente");
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "IDPEDIDO");
        Click(d, "cmdOK");
    });
    w.mnuEditar->trigger();
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "ventas");
        Click(d, "cmdOK");
    });
    Select(w, "Cnn_resumen");
    w.CambiarNombre();
    for (const char* key : {"Fmt_fmtListado", "Dlg_dlgFiltro", "Cnn_ventas"}) {
        Select(w, key);
        runner.Then([](QDialog& d) {  // typed, then cancelled: nothing is written
            Type(d, "txtName", "otro");
            Click(d, "cmdCancel");
        });
        w.Editar();
    }
    EXPECT_TRUE(w.Report()->ToXML() == before);
    EXPECT_FALSE(w.isWindowModified());
    std::vector<std::string> texts;
    for (const auto& m : messages->Taken()) texts.push_back(m.text);
    EXPECT_EQ(texts, std::vector<std::string>({"Ya existe un parámetro con el mismo nombre.",
                                               "Ya existe un origen de registros con el mismo nombre",
                                               "Ya existe un parámetro con el mismo nombre.",
                                               "Ya existe una conexión con el mismo nombre."}));

    // A file that is not a report is refused with one message, and the report is kept.
    const struct {
        const char* name;
        std::string bytes;
        const char* why;
    } cases[] = {
        {"otro.xml", "<?xml version=\"1.0\"?><!-- ajeno --><Otro><Orvane/></Otro>",
         "el archivo no contiene una definición de reporte."},
        {"roto.xml", "<Orvane Name=\"x\"><eConnections>", nullptr},
        {"roto.xpd", "no es un zip", "no es un paquete de reporte."},
        {"falta.xml", "", "no se puede leer el archivo."},
    };
    for (const auto& c : cases) {
        messages->Clear();
        const std::string path = dir.file(c.name);
        if (!c.bytes.empty()) WriteFile(path, c.bytes);
        EXPECT_FALSE(w.OpenFile(QString::fromStdString(path))) << c.name;
        const auto taken = messages->Taken();
        ASSERT_EQ(taken.size(), 1u) << c.name;
        EXPECT_EQ(taken[0].text.rfind("No se pudo abrir el reporte " + path + ": ", 0), 0u) << taken[0].text;
        if (c.why) {
            EXPECT_EQ(taken[0].text, "No se pudo abrir el reporte " + path + ": " + c.why);
        }
        EXPECT_EQ(taken[0].icon, platform::MsgIcon::Critical);
    }
    EXPECT_TRUE(w.Report()->ToXML() == before);
    EXPECT_EQ(w.RecentFiles().value(0), QFileInfo(QString::fromStdString(file)).absoluteFilePath());
}

TEST(RenameReferences, ChangesWholeMacroTokensOnly) {
    const struct {
        const char* text;
        const char* parameterTo;  // after renaming parameter "Desde"
        const char* sourceTo;     // after renaming record source "pedidos"
        int parameterCount, sourceCount;
    } cases[] = {
        {"f >= @Desde AND g < @Desdeo", "f >= @Inicio AND g < @Desdeo", "f >= @Desde AND g < @Desdeo", 1, 0},
        {"@{ desde } + @DESDE,@desde.x", "@{Inicio} + @Inicio,@desde.x", "@{ desde } + @DESDE,@desde.x", 2, 0},
        {"@pedidos.fecha = @{Pedidos.id}", "@pedidos.fecha = @{Pedidos.id}", "@ventas.fecha = @{ventas.id}", 0, 2},
        {"@pedidosx.f @{pedidos} @{Desde", "@pedidosx.f @{pedidos} @{Desde", "@pedidosx.f @{pedidos} @{Desde", 0, 0},
        {"'@Desde'@Desde", "'@Inicio'@Inicio", "'@Desde'@Desde", 2, 0},
    };
    for (const auto& c : cases) {
        int n = 0;
        EXPECT_EQ(designer::RenameParameterMacros(c.text, "Desde", "Inicio", n), c.parameterTo);
        EXPECT_EQ(n, c.parameterCount) << c.text;
        n = 0;
        EXPECT_EQ(designer::RenameRSourceMacros(c.text, "pedidos", "ventas", n), c.sourceTo);
        EXPECT_EQ(n, c.sourceCount) << c.text;
    }
    int n = 0;  // a new name a plain macro cannot hold is braced
    EXPECT_EQ(designer::RenameParameterMacros("a = @Desde", "Desde", "Desde dia", n), "a = @{Desde dia}");
}

TEST_F(OrvaneE, RenamingAParameterOrASourceOffersToRenameItsReferencesInOneUndoStep) {
    ScratchDir dir;
    std::string text = ReadFile(kExample.toStdString());
    const std::string lineas = "SendParameters=\"IdPedido, MinImporte\" Filter=\"";
    text.insert(text.find(lineas) + lineas.size(), "id_pedido = @pedidos.id_pedido");
    const std::string file = dir.file("renombrar.xml");
    WriteFile(file, text);
    designer::OrvaneE w;
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(file)));
    const std::string before = w.Report()->ToXML();
    Select(w, "Prm_IdPedido");
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "Pedido");
        Click(d, "cmdOK");
    });
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.CambiarNombre();
    const std::string renamed = w.Report()->ToXML();
    EXPECT_NE(renamed.find("idParameterLinked=\"Pedido\" SendParameters=\"Hasta\""), std::string::npos);
    EXPECT_NE(renamed.find("SendParameters=\"Pedido, MinImporte\""), std::string::npos);
    EXPECT_EQ(renamed.find("IdPedido\""), std::string::npos);
    w.Deshacer();  // the name and its references together
    EXPECT_TRUE(w.Report()->ToXML() == before);

    Select(w, "Prm_Desde");  // through its dialog, and the offer declined: only the name changes
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "Inicio");
        Click(d, "cmdOK");
    });
    w.Editar();
    EXPECT_NE(w.Report()->ToXML().find("fecha &gt;= @Desde AND"), std::string::npos);
    EXPECT_EQ(w.Report()->ToXML().find("@Inicio"), std::string::npos);
    EXPECT_NE(w.Report()->FindParameter("Inicio"), nullptr);

    Select(w, "Rst_pedidos");  // a record source's field macros follow it
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "pedidos2");
        Click(d, "cmdOK");
    });
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.CambiarNombre();
    EXPECT_NE(w.Report()->ToXML().find("Filter=\"id_pedido = @pedidos2.id_pedido\""), std::string::npos);
    std::vector<std::string> texts;
    for (const auto& m : messages->Taken()) texts.push_back(m.text);
    EXPECT_EQ(texts, std::vector<std::string>(
                         {"El nombre \"IdPedido\" se usa en: 1 entrada de SendParameters, 1 referencia de "
                          "idParameterLinked. ¿Desea que también pasen a usar \"Pedido\"?",
                          "El nombre \"Desde\" se usa en: 2 macros. ¿Desea que también pasen a usar \"Inicio\"?",
                          "El nombre \"pedidos\" se usa en: 1 macro. ¿Desea que también pasen a usar \"pedidos2\"?"}));
}

TEST_F(OrvaneE, RevisarListsTheFindingsAndTheOneChosenSelectsItsNode) {
    ScratchDir dir;
    std::string text = ReadFile(kExample.toStdString());
    text.replace(text.find("@IdCliente"), 10, "@IdClienteX");
    const std::string file = dir.file("revisar.xml");
    WriteFile(file, text);
    designer::OrvaneE w;
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(file)));
    Select(w, "Prm_Desde");
    QStringList lines;
    runner.Then([&lines](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("lstHallazgos");
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
        const auto chosen = list->findItems("IdClienteX", Qt::MatchContains);
        ASSERT_EQ(chosen.size(), 1);
        list->setCurrentItem(chosen[0]);
        Click(d, "cmdIr");
    });
    w.mnuRevisar->trigger();
    EXPECT_EQ(lines, QStringList({"conexión ventas / origen clientes / origen pedidos: la consulta: la macro "
                                  "@IdClienteX no nombra ningún parámetro"}));
    ASSERT_NE(w.tvwOrvane->currentItem(), nullptr);
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "pedidos");

    runner.Then([](QDialog& d) { Click(d, "cmdCerrar"); });  // closed: the selection stays
    w.mnuRevisar->trigger();
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "pedidos");
    EXPECT_EQ(runner.Shown(), 2);
}

}  // namespace
}  // namespace orvane::testing
