#include <orvanespt/designer/qt/OrvaneE.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <nlohmann/json.hpp>
#include <QFileInfo>
#include <QListWidget>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>

#include "QtTestSupport.h"
#include <orvanespt/designer/RenameReferences.h>
#include <orvanespt/designer/qt/FrmParameter.h>
#include <orvanespt/designer/qt/NameDialogs.h>
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

// The groups of an empty report as `orvane show` prints them, up to the resources.
std::string CliTree() {
    return "  Conexiones [@Connections]\n  Parámetros [@Parameters]\n  Diálogos [@Dialogs]\n"
           "  Formatos de impresión [@PrnFormats]\n";
}

// The name dialog given name and accepted.
Person Named(const char* name) {
    return [name](QDialog& d) {
        Type(d, "txtName", name);
        Click(d, "cmdOK");
    };
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
    QStringList opened;
    auto viewer = std::make_shared<designer::QtHelpViewer>([&](const QUrl& url) {
        opened.push_back(url.toLocalFile());
        return true;
    });
    auto previousViewer = platform::SetHelpViewer(viewer);
    QTest::keyClick(&w, Qt::Key_F1);
    designer::frmParameter parameter;  // a dialog's help button opens its own topic
    Click(parameter, "btnAyuda");
    EXPECT_TRUE(viewer->Open(folder.toStdString() + "/orvane.html", 10099));  // a topic without a page: the index
    designer::frmDialog named;  // F1 anywhere in a dialog, and its "Ayuda" button
    runner.Then([](QDialog& d) {
        d.activateWindow();  // as a modal dialog is: the window's own F1 no longer answers
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QTest::keyClick(Find<QWidget>(d, "txtName"), Qt::Key_F1);
        Click(d, "BtnAyuda");
    });
    designer::RunModal(named);
    Activate(w);
    EXPECT_TRUE(messages->Taken().empty());
    designer::QtHelpViewer nothingShows([](const QUrl&) { return false; });
    platform::SetHelpViewer(std::shared_ptr<platform::HelpViewer>(&nothingShows, [](auto*) {}));
    QTest::keyClick(&w, Qt::Key_F1);
    platform::SetHelpViewer(previousViewer);
    platform::RuntimeServices::Instance().SetHelpFolder(previousFolder);
    EXPECT_EQ(Texts(messages), std::vector<std::string>({"No hay ningún programa que pueda mostrar la ayuda. Ábrala "
                                                         "con un navegador: " + folder.toStdString() + "/orvane.html"}));
    EXPECT_EQ(opened.join(" ").replace(folder + "/", "").toStdString(),
              "orvane.html orvane-10037.html orvane.html orvane-10039.html orvane-10039.html");

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
    Select(w, "Prm_Ciudad");
    runner.Then(Named("Localidad"));
    QTest::keyClick(w.tvwOrvane, Qt::Key_F2);
    ASSERT_NE(w.Report()->GetParameter("Localidad"), nullptr);
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "Localidad");

    Select(w, "Fmt_fmtListado");
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    QTest::keyClick(w.tvwOrvane, Qt::Key_Delete);
    Select(w, "Rst_pedidos");
    QTest::keyClick(w.tvwOrvane, Qt::Key_Delete);  // answered No: kept
    EXPECT_EQ(w.Report()->ePrnFormats->Count(), 0);
    EXPECT_NE(w.Report()->GetRSource("pedidos"), nullptr);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].text, "¿Desea eliminar el formato de impresión \"fmtListado\"?");
    EXPECT_EQ(taken[1].text, "¿Desea eliminar el origen de registros \"pedidos\" y su origen dependiente?");
    EXPECT_EQ(taken[1].defaultButton, platform::MsgAnswer::No);

    // Undo and redo select the item each step touched, so F2 renames it.
    const std::string edited = w.Report()->ToXML();
    QStringList selected;
    auto step = [&](QKeySequence keys) {
        QTest::keySequence(&w, keys);
        selected << (w.tvwOrvane->currentItem() ? w.tvwOrvane->currentItem()->text(0) : QString());
    };
    for (int i = 0; i < 3; ++i) step(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(w.Report()->ToXML() == original);
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_FALSE(w.mnuDeshacer->isEnabled());
    runner.Then([](QDialog& d) { EXPECT_EQ(Shown(d, {"txtName"}), QStringList({"clientes"})); });
    QTest::keyClick(w.tvwOrvane, Qt::Key_F2);
    for (int i = 0; i < 3; ++i) step(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_TRUE(w.Report()->ToXML() == edited);
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_EQ(selected, QStringList({"fmtListado", "Ciudad", "clientes", "clientes", "Localidad",
                                     "Formatos de impresión"}));
    EXPECT_EQ(runner.Unscripted(), 0);

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
    // A refused name keeps the dialog open with what was typed, the name selected to fix it.
    auto refused = [](const char* name, const char* chosen = nullptr) {
        return [name, chosen](QDialog& d) {
            Type(d, "txtName", name);
            if (chosen) Click(d, chosen);
            Click(d, "cmdOK");
            auto* edit = Find<QLineEdit>(d, "txtName");
            EXPECT_TRUE(d.isVisible()) << name;
            EXPECT_EQ(edit->selectedText(), QString(name));
            EXPECT_TRUE(!chosen || Find<QAbstractButton>(d, chosen)->isChecked());
        };
    };
    runner.Then(refused("ciudad", "optSuperType(1)"));
    w.mnuAParametro->trigger();
    runner.Then(refused(" Pedidos "));
    Select(w, "Rst_lineas");
    w.CambiarNombre();
    Select(w, "Prm_IdCliente");
    runner.Then(refused("IDPEDIDO"));
    w.mnuEditar->trigger();
    runner.Then(refused("ventas"));
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
    EXPECT_EQ(Texts(messages), std::vector<std::string>({"Ya existe un parámetro con el mismo nombre.",
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
        {"falta.xml", "", "el archivo no existe."},
        {"falta.xpd", "", "el archivo no existe."},
    };
    for (const auto& c : cases) {
        messages->Clear();
        const std::string path = dir.file(c.name);
        if (!c.bytes.empty()) WriteFile(path, c.bytes);
        EXPECT_FALSE(w.OpenFile(QString::fromStdString(path))) << c.name;
        const auto taken = messages->Taken();
        ASSERT_EQ(taken.size(), 1u) << c.name;
        const std::string said = "No se pudo abrir el reporte " + path + ": " + (c.why ? c.why : "");
        EXPECT_EQ(c.why ? taken[0].text : taken[0].text.substr(0, said.size()), said);  // the parser's words vary
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
    runner.Then(Named("Pedido"));
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.CambiarNombre();
    const std::string renamed = w.Report()->ToXML();
    EXPECT_NE(renamed.find("idParameterLinked=\"Pedido\" SendParameters=\"Hasta\""), std::string::npos);
    EXPECT_NE(renamed.find("SendParameters=\"Pedido, MinImporte\""), std::string::npos);
    EXPECT_EQ(renamed.find("IdPedido\""), std::string::npos);
    w.Deshacer();  // the name and its references together
    EXPECT_TRUE(w.Report()->ToXML() == before);

    Select(w, "Prm_Desde");  // through its dialog, and the offer declined: only the name changes
    runner.Then(Named("Inicio"));
    w.Editar();
    EXPECT_NE(w.Report()->ToXML().find("fecha &gt;= @Desde AND"), std::string::npos);
    EXPECT_EQ(w.Report()->ToXML().find("@Inicio"), std::string::npos);
    EXPECT_NE(w.Report()->FindParameter("Inicio"), nullptr);

    Select(w, "Rst_pedidos");  // a record source's field macros follow it
    runner.Then(Named("pedidos2"));
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.CambiarNombre();
    EXPECT_NE(w.Report()->ToXML().find("Filter=\"id_pedido = @pedidos2.id_pedido\""), std::string::npos);
    EXPECT_EQ(Texts(messages),
              std::vector<std::string>(
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

    // The window's size outlives it.
    QSettings(QStringLiteral("OrvaneSpt"), QStringLiteral("orvane-designer")).remove(QStringLiteral("ventana"));
    w.show();
    w.resize(610, 430);
    ASSERT_TRUE(w.close());
    designer::OrvaneE again;
    EXPECT_EQ(again.size(), QSize(610, 430));
    runner.Then([](QDialog& d) {  // the file dialog shows its columns
        auto* files = qobject_cast<QFileDialog*>(&d);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->viewMode(), QFileDialog::Detail);
        EXPECT_GE(files->width(), 800);
    });
    EXPECT_EQ(designer::ChooseFile(&again, "Abrir reporte", "Reportes (*.xpd)", false), QString());
}

// A new report named and described, a picture added, replaced (a file that
// is no picture refused) and removed, a text added and written out, the code
// edited: what is saved is what the command-line host reads back.
TEST_F(OrvaneE, ResourcesAndCodeAreEditedFromTheWindowSavedAndReadBack) {
    ScratchDir dir;
    const std::string logo = dir.file("logo.png");
    WriteFile(logo, ReadFile(ORVANE_SOURCE_DIR "/examples/sales/logo.png"));
    const std::string other = dir.file("otro.png"), notPicture = dir.file("nada.png"), pie = dir.file("pie.txt");
    WriteFile(other, ReadFile(logo) + "otra");
    WriteFile(pie, "Página de pie\r\n");  // copies only: a faulty save must not reach the sources
    WriteFile(notPicture, "no es una imagen");
    QStringList files = {QString::fromStdString(logo), QString::fromStdString(notPicture),
                         QString::fromStdString(other), QString::fromStdString(pie),
                         QString::fromStdString(dir.file("pie-copia.txt"))};
    QStringList asked;  // what each file dialog was for
    auto previous = designer::SetFileChooser([&](QWidget*, const QString&, const QString&, bool save, const QString&) {
        asked << (save ? "guardar" : "abrir");
        return files.isEmpty() ? QString() : files.takeFirst();
    });
    designer::OrvaneE w;
    w.tvwOrvane->setCurrentItem(w.tvwOrvane->topLevelItem(0));
    ASSERT_TRUE(w.mnuCambiarNombre->isEnabled());
    runner.Then(Named("informe"));
    w.CambiarNombre();
    runner.Then([](QDialog& d) {
        EXPECT_EQ(Shown(d, {"txtName"}), QStringList({"informe"}));
        Type(d, "txtInfo", "Ventas del mes");
        Click(d, "cmdOK");
    });
    w.Editar();
    Select(w, "@ResDataCol");
    ASSERT_TRUE(w.mnuAImagen->isEnabled());
    w.mnuAImagen->trigger();
    EXPECT_EQ(w.tvwOrvane->currentItem()->text(0), "logo");
    w.Editar();  // refused: kept
    w.Editar();
    w.mnuATexto->trigger();
    EXPECT_TRUE(w.SaveResource());
    EXPECT_EQ(ReadFile(dir.file("pie-copia.txt")), "Página de pie\r\n");
    Select(w, "@ScriptCode");
    runner.Then([](QDialog& d) {
        Find<QPlainTextEdit>(d, "txtCode")->setPlainText("Sub Main\nEnd Sub");
        Click(d, "cmdOK");
    });
    w.Editar();
    const std::string file = dir.file("informe.xpd");
    ASSERT_TRUE(w.SaveFile(QString::fromStdString(file)));
    EXPECT_FALSE(w.isWindowModified());
    EXPECT_EQ(asked, QStringList({"abrir", "abrir", "abrir", "abrir", "guardar"}));
    const std::string tail = "  Imágenes y textos [@ResDataCol]\n    logo [Pic_logo]\n    pie [Txt_pie]\n"
                             "  Sub-Programa [@ScriptCode]\n";
    EXPECT_EQ(RunOrvane("show " + ShellQuote(file)).out, "informe [@Ovinforme]\n" + CliTree() + tail);
    Orvane read;
    ASSERT_TRUE(read.LoadXPDFile(file));
    EXPECT_EQ(read.Code, "Sub Main\r\nEnd Sub");
    EXPECT_EQ(read.Info, "Ventas del mes");
    EXPECT_EQ(read.GetResdata("logo")->PicData->Bytes(), ReadFile(other));

    Select(w, "Pic_logo");
    messages->QueueAnswer(platform::MsgAnswer::Yes);
    w.Eliminar();
    EXPECT_TRUE(w.isWindowModified());
    ASSERT_TRUE(w.SaveFile(QString::fromStdString(file)));
    EXPECT_EQ(RunOrvane("show " + ShellQuote(file)).out,
              "informe [@Ovinforme]\n" + CliTree() + "  Imágenes y textos [@ResDataCol]\n    pie [Txt_pie]\n"
              "  Sub-Programa [@ScriptCode]\n");
    w.Deshacer();
    EXPECT_NE(w.Report()->GetResdata("logo"), nullptr);
    EXPECT_TRUE(w.isWindowModified());
    // A save that fails says which step failed and leaves the work unsaved.
    const std::string nowhere = dir.file("falta/informe.xml");
    EXPECT_FALSE(w.SaveFile(QString::fromStdString(nowhere)));
    EXPECT_TRUE(w.isWindowModified());
    designer::SetFileChooser(previous);
    EXPECT_EQ(Texts(messages), std::vector<std::string>(
                                   {"La imágen nos es válida.", "¿Desea eliminar el recurso \"logo\"?",
                                    "No se pudo guardar el reporte: " + nowhere +
                                        ": no se pudo crear el archivo temporal: " + std::strerror(ENOENT)}));
}

// The preview's tree, a line per node: its texts, indented by depth.
void TreeLines(QTreeWidgetItem* item, const QString& indent, QStringList& out) {
    out << indent + item->text(0) + (item->text(1).isEmpty() ? QString() : " | " + item->text(1));
    for (int i = 0; i < item->childCount(); ++i) TreeLines(item->child(i), indent + "  ", out);
}

// The same lines from the walk `orvane run --format json` printed.
QString FieldsOf(const nlohmann::ordered_json& row) {
    QStringList out;
    for (const auto& [name, value] : row["fields"].items()) out << QString::fromStdString(name + "=" + value.dump());
    return out.join(", ");
}
void ChildLines(const nlohmann::ordered_json& children, const QString& indent, QStringList& out) {
    for (const auto& child : children) {
        const auto n = child["rows"].size();
        out << indent + QString::fromStdString(child["source"].get<std::string>()) + " | " +
                   (n == 1 ? QString("1 fila") : QString("%1 filas").arg(n));
        int k = 0;
        for (const auto& row : child["rows"]) {
            out << indent + QString("  fila %1 | ").arg(++k) + FieldsOf(row);
            ChildLines(row["children"], indent + "    ", out);
        }
    }
}

// "Probar reporte" on the example, with a date changed in its picker and a
// list of two cities: the tree and the JSON copied are the walk orvane run prints.
TEST_F(OrvaneE, ProbarReporteShowsAndCopiesTheWalkThatOrvaneRunPrints) {
    ScratchDir dir;
    std::string text = ReadFile(kExample.toStdString());
    text.replace(text.find("ciudad LIKE @Ciudad"), 19, "ciudad IN (@Ciudad)");
    text.insert(text.find("<eParameter Name=\"Desde\""), "<eParameter Name=\"Activo\" eType=\"adBoolean\" Predef=\"True\"></eParameter>");
    const std::string file = dir.file("ventas.xml");
    WriteFile(file, text);
    MakeSalesDatabase(dir.file("ventas.db"));
    WriteFile(dir.file("ventas.udl"), ReadFile(ORVANE_SOURCE_DIR "/examples/sales/ventas.udl"));
    designer::OrvaneE w;
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(file)));
    Activate(w);
    QString json, summary;
    QStringList lines;
    runner.Then([&](QDialog& d) {
        auto* desde = Find<QDateEdit>(d, "prm_Desde");
        auto* ciudad = Find<QListWidget>(d, "prm_Ciudad");
        ASSERT_TRUE(desde && ciudad);
        EXPECT_EQ(desde->date(), QDate(2024, 1, 1));
        EXPECT_TRUE(desde->calendarPopup());
        ASSERT_TRUE(Find<QCheckBox>(d, "prm_Activo") && Find<QCheckBox>(d, "prm_Activo")->isChecked());
        Click(d, "prm_Activo");
        EXPECT_EQ(Find<QDateEdit>(d, "prm_Hasta")->date(), QDate(2024, 6, 30));
        EXPECT_EQ(Find<QLineEdit>(d, "prm_MinImporte")->text(), "0");
        EXPECT_EQ(Entries(ciudad), QStringList({"%"}));
        desde->setDate(QDate(2024, 2, 1));
        ciudad->item(0)->setText("Sevilla");
        ciudad->addItem("Madrid");
        Click(d, "cmdProbar");
        Click(d, "cmdCopiar");
        json = QGuiApplication::clipboard()->text();
        auto* tree = Find<QTreeWidget>(d, "tvwPasos");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) TreeLines(tree->topLevelItem(i), "", lines);
        summary = Find<QLabel>(d, "lblResumen")->text();
    });
    QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_R));
    ASSERT_EQ(runner.Shown(), 1);
    const Outcome run = RunOrvane("run --format json -p Activo=False -p Desde=2024-02-01 -p Ciudad=Sevilla -p Ciudad=Madrid " +
                                  ShellQuote(file));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(json.toStdString(), run.out);
    const auto walked = nlohmann::ordered_json::parse(run.out);
    QStringList expected;
    int step = 0, rows = 0;
    for (const auto& records : walked["steps"]) {
        expected << QString("Paso %1").arg(++step);
        for (const auto& record : records) {
            expected << "  " + QString::fromStdString(record["source"].get<std::string>()) + " | " + FieldsOf(record);
            ChildLines(record["children"], "    ", expected);
        }
    }
    EXPECT_EQ(lines, expected);
    for (const QString& line : expected)  // a top-level record or a child's row
        rows += (line.contains(" | ") && !line.contains(" fila")) || line.trimmed().startsWith("fila ") ? 1 : 0;
    EXPECT_GT(step, 1);
    EXPECT_TRUE(summary.startsWith(QString("%1 pasos, %2 filas en total, en ").arg(step).arg(rows))) << summary.toStdString();
    EXPECT_NE(json.indexOf("\"Ciudad\":[\"Sevilla\",\"Madrid\"]"), -1);

    // A query that fails says which record source and why, on one line.
    WriteFile(dir.file("ventas.db"), "");
    runner.Then([](QDialog& d) { Click(d, "cmdProbar"); });
    QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_R));
    const auto failed = Texts(messages);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind("No se pudo abrir el origen de registros \"clientes\": ", 0), 0u) << failed[0];
    EXPECT_EQ(failed[0].find_first_of("\r\n"), std::string::npos) << failed[0];
}

// Orders whose lines fail to open at Ana's second order: her step's orders
// stop there, and "Probar reporte" warns under that step as orvane run does.
TEST_F(OrvaneE, ProbarReporteWarnsWhereAChildsRowsWereCutAsOrvaneRunDoes) {
    SalesReport s;
    auto pedidos = s.ClientsAndOrders("SELECT id FROM pedidos WHERE cliente_id = ? ORDER BY id").second;
    s.Param("pPedido", "adInteger", 0);
    std::tie(pedidos->SendParameters, pedidos->eFieldNametoParameters, pedidos->idParameterLinked) =
        std::tuple("pCliente", "id", "pPedido");
    s.Source("Lineas", "SELECT producto, CASE WHEN pedido_id = 11 THEN json('roto') END FROM lineas WHERE pedido_id = ?",
             pedidos)
        ->SendParameters = "pPedido";
    const std::string file = s.dir.file("ventas.xml");
    ASSERT_TRUE(s.rpt->WriteXMLFile(file).ok());
    designer::OrvaneE w;
    ASSERT_TRUE(w.OpenFile(QString::fromStdString(file)));
    Activate(w);
    QStringList lines;
    runner.Then([&](QDialog& d) {
        Click(d, "cmdProbar");
        auto* tree = Find<QTreeWidget>(d, "tvwPasos");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) TreeLines(tree->topLevelItem(i), "", lines);
    });
    QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_R));
    ASSERT_EQ(runner.Shown(), 1);
    const Outcome run = RunOrvane("run " + ShellQuote(file));
    ASSERT_EQ(run.status, 0) << run.err;
    QString warned;  // the tree's warnings as orvane run prints them
    for (const QString& line : lines)
        if (line.trimmed().startsWith("aviso: ")) warned += "orvane: " + line.trimmed() + "\n";
    EXPECT_EQ(warned.toStdString(), run.err);
    EXPECT_EQ(lines.mid(0, 4), QStringList({"Paso 1",
                                            "  aviso: paso 1: origen de registros \"Clientes\": origen de registros "
                                            "\"Pedidos\": origen de registros \"Lineas\": no se pudo ejecutar la "
                                            "consulta: malformed JSON",
                                            "  Clientes | id=1, nombre=\"Ana\", ciudad=\"Lima\"", "    Pedidos | 1 fila"}));
}

}  // namespace
}  // namespace orvane::testing
