#include "designer/qt/FrmConnection.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <cstdlib>

#include "data/Connections.h"
#include "designer/qt/QtDesignerDialogs.h"
#include "support/TestSupport.h"
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using designer::frmConnection;
using platform::MsgIcon;

const char* const kNotInstalled =
    "No se encuentra el componente 'Biblioteca de Clases Base de Grupo Tarsim (gTarsimBCL)' por lo que no es posible "
    "obtener información sobre las aplicaciones instaladas.";
const char* const kNeedString = "Debe indicarse una cadena de conexión.";
const char* const kNeedName = "Debe indicar un nombre para la conexión.";

std::shared_ptr<Orvane> ReportWith(std::initializer_list<const char*> names) {
    auto report = std::make_shared<Orvane>();
    for (const char* n : names) {
        auto c = std::make_shared<eConnection>();
        c->Name = n;
        c->cnnString = "Provider=SQLite;Data Source=x.db";
        report->AddConnection(c);
    }
    return report;
}

QString CnnText(QDialog& d) { return Find<QPlainTextEdit>(d, "txtCnn")->toPlainText(); }

void TypeCnn(QDialog& d, const QString& text) {
    auto* edit = Find<QPlainTextEdit>(d, "txtCnn");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

std::vector<std::string> Texts(const platform::RecordingMessages& m) {
    std::vector<std::string> out;
    for (const auto& x : m.Taken()) out.push_back(x.text);
    return out;
}

TEST(FrmConnection, OptionsEnableTheirOwnControlsOnly) {
    ManagerFile manager(true);
    EnsureApplication();
    frmConnection d;
    d.Agregar();
    EXPECT_EQ(d.dxCombo->count(), 2);
    EXPECT_EQ(d.dxCombo->itemText(1), "Compras");
    struct Row {
        int option;
        bool managerOn, textOn;
    };
    for (Row r : {Row{3, false, true}, Row{1, false, false}, Row{0, true, false}, Row{2, false, false}}) {
        QTest::mouseClick(d.opt[r.option], Qt::LeftButton, {}, QPoint(8, d.opt[r.option]->height() / 2));
        EXPECT_EQ(d.dxCombo->isEnabled(), r.managerOn) << r.option;
        EXPECT_EQ(d.bCfg->isEnabled(), r.managerOn) << r.option;
        for (QWidget* w : {static_cast<QWidget*>(d.txtCnn), static_cast<QWidget*>(d.Command1),
                           static_cast<QWidget*>(d.Command2), static_cast<QWidget*>(d.Command3)})
            EXPECT_EQ(w->isEnabled(), r.textOn) << r.option;
    }
    EXPECT_TRUE(d.dxCheckEdit1->isChecked());
}

TEST(FrmConnection, AddProposesTheNextNameAndBuildsTheManagerMacro) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    auto report = ReportWith({"eConnection1"});
    runner.Then([](QDialog& d) {
        EXPECT_EQ(Find<QLineEdit>(d, "txtName")->text(), "eConnection2");
        Click(d, "cmdOk");  // no application chosen yet
        EXPECT_TRUE(d.isVisible());
        auto* app = Find<QComboBox>(d, "dxCombo");
        QTest::keyClicks(app->lineEdit(), " Ventas");
        Click(d, "dxCheckEdit1");
        Click(d, "cmdOk");
    });
    designer::QtDesignerDialogs dialogs;
    auto added = dialogs.AddeConnection(report);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "eConnection2");
    EXPECT_EQ(added->cnnString, "@gtCnnManager.ApplicationDb(\" Ventas\")");
    EXPECT_FALSE(added->Internal);
    EXPECT_EQ(report->eConections->Count(), 1);  // the caller adds it
    EXPECT_EQ(Texts(*messages), std::vector<std::string>{"Debe indicar el nombre de la aplicación"});
}

TEST(FrmConnection, ChecksTheConnectionStringBeforeTheName) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    auto report = ReportWith({"Ventas"});
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "");
        Click(d, "opt(3)");
        Click(d, "cmdOk");
        TypeCnn(d, "Provider=SQLite;Data Source=a.db");
        Click(d, "cmdOk");
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "txtName"));
        Type(d, "txtName", " ventas ");
        Click(d, "cmdOk");  // taken, compared trimmed and ignoring case
        Type(d, "txtName", " Nueva ");
        Click(d, "cmdOk");
    });
    designer::QtDesignerDialogs dialogs;
    auto added = dialogs.AddeConnection(report);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, " Nueva ");
    EXPECT_EQ(added->cnnString, "Provider=SQLite;Data Source=a.db");
    EXPECT_TRUE(added->Internal);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].text, kNeedString);
    EXPECT_EQ(taken[1].text, kNeedName);
    EXPECT_EQ(taken[2].text, "Ya existe una conexión con el mismo nombre.");
    EXPECT_EQ(taken[0].icon, MsgIcon::None);
    EXPECT_EQ(taken[1].icon, MsgIcon::None);
    EXPECT_EQ(taken[2].icon, MsgIcon::Information);
}

TEST(FrmConnection, EditingMayTakeAnotherConnectionsNameAndWritesOnAccept) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    auto report = ReportWith({"Ventas", "Compras"});
    auto edited = report->eConections->Item(2);
    edited->cnnString = "@gtCnnManager.oldMaltevaDb";
    edited->Internal = false;
    runner.Then([](QDialog& d) {
        EXPECT_TRUE(Find<QRadioButton>(d, "opt(2)")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>(d, "dxCheckEdit1")->isChecked());
        Type(d, "txtName", "Ventas ");
        Click(d, "opt(1)");
        Click(d, "dxCheckEdit1");
        Click(d, "cmdOk");
    });
    designer::QtDesignerDialogs dialogs;
    EXPECT_TRUE(dialogs.EditeConnection(report, edited));
    EXPECT_EQ(edited->Name, "Ventas ");
    EXPECT_EQ(edited->cnnString, "@gtCnnManager.oldBriscoDb");
    EXPECT_TRUE(edited->Internal);
    EXPECT_TRUE(messages->Taken().empty());
}

TEST(FrmConnection, EditOpensOnTheOptionOfTheStoredKind) {
    ManagerFile manager(true);
    EnsureApplication();
    auto c = std::make_shared<eConnection>();
    c->cnnString = "@gtCnnManager.ApplicationDb(\"Compras\")";
    frmConnection kind1;
    kind1.EditedCnn = c;
    kind1.Editar(c);
    EXPECT_TRUE(kind1.opt[0]->isChecked());
    EXPECT_EQ(kind1.dxCombo->currentText(), "Compras");
    EXPECT_EQ(kind1.txtCnn->toPlainText(), "");

    c->cnnString = "@DataLinkFile(\"/srv/ventas.udl\")";
    frmConnection kind4;
    kind4.Editar(c);
    EXPECT_TRUE(kind4.opt[3]->isChecked());
    EXPECT_EQ(kind4.txtCnn->toPlainText().toStdString(), c->cnnString);
    EXPECT_EQ(kind4.Mode, 2);
}

TEST(FrmConnection, WithoutTheManagerOnlyTheStringOptionIsLeft) {
    ManagerFile manager(false);
    ScriptedRunner runner;
    MessageRecorder messages;
    auto report = ReportWith({"Ventas"});
    auto edited = report->eConections->Item(1);
    edited->cnnString = "@gtCnnManager.ApplicationDb(\"Ventas\")";
    runner.Then([](QDialog& d) {
        EXPECT_TRUE(Find<QRadioButton>(d, "opt(3)")->isChecked());
        for (const char* name : {"opt(0)", "opt(1)", "opt(2)"}) EXPECT_FALSE(Find<QRadioButton>(d, name)->isEnabled());
        EXPECT_EQ(CnnText(d), "");
        Click(d, "cmdOk");
        Click(d, "cmdCancel");
    });
    designer::QtDesignerDialogs dialogs;
    EXPECT_FALSE(dialogs.EditeConnection(report, edited));
    EXPECT_EQ(edited->cnnString, "@gtCnnManager.ApplicationDb(\"Ventas\")");
    EXPECT_EQ(Texts(*messages), (std::vector<std::string>{kNotInstalled, kNeedString}));
}

TEST(FrmConnection, DataLinkFilesAreImportedOrReferenced) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    ScratchDir dir;
    const std::string udl = dir.file("ventas.udl");
    WriteFile(udl, "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                   "Provider=SQLite;Data Source=/srv/ventas.db\r\n");
    QStringList filters;
    QString answer = QString::fromStdString(udl);
    auto previous = designer::SetFileChooser([&](QWidget*, const QString&, const QString& filter, bool save, const QString&) {
        EXPECT_FALSE(save);
        filters << filter;
        return answer;
    });
    auto report = ReportWith({});
    runner.Then([&](QDialog& d) {
        Click(d, "opt(3)");
        Click(d, "Command2");
        // The line break the data-link reader appends stays; the text box keeps it as LF.
        EXPECT_EQ(CnnText(d).toStdString(), "Provider=SQLite;Data Source=/srv/ventas.db\n");
        Click(d, "Command3");
        EXPECT_EQ(CnnText(d).toStdString(), "@DataLinkFile(\"" + udl + "\")");
        answer.clear();  // the person cancels the file dialog: nothing changes
        Click(d, "Command2");
        Click(d, "Command3");
        Click(d, "cmdOk");
    });
    designer::QtDesignerDialogs dialogs;
    auto added = dialogs.AddeConnection(report);
    designer::SetFileChooser(previous);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->cnnString, "@DataLinkFile(\"" + udl + "\")");
    EXPECT_EQ(data::ConnectionKind(added->cnnString), 4);
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters[0], "Archivos de vínculo de datos (*.udl);;Todos los archivos (*)");
}

}  // namespace
}  // namespace orvane::testing
