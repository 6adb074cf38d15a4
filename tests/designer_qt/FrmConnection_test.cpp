#include <orvanespt/designer/qt/FrmConnection.h>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

const char* const kNeedString = "Debe indicarse una cadena de conexión.";

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

// The connection manager's file holds "Ventas" and "Compras".
class FrmConnection : public ::testing::Test {
protected:
    ManagerFile manager{true};
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::QtDesignerDialogs dialogs;
};

TEST_F(FrmConnection, AddProposesTheNextNameBuildsTheManagerMacroChecksTheStringFirstAndTakesDataLinkFiles) {
    auto report = ReportWith({"eConnection1"});
    runner.Then([](QDialog& d) {
        EXPECT_EQ(Find<QLineEdit>(d, "txtName")->text(), "eConnection2");
        Click(d, "cmdOk");  // no application chosen yet
        EXPECT_TRUE(d.isVisible());
        QTest::keyClicks(Find<QComboBox>(d, "dxCombo")->lineEdit(), " Ventas");
        Click(d, "dxCheckEdit1");
        Click(d, "cmdOk");
    });
    auto added = dialogs.AddeConnection(report);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "eConnection2");
    EXPECT_EQ(added->cnnString, "@gtCnnManager.ApplicationDb(\" Ventas\")");
    EXPECT_FALSE(added->Internal);
    EXPECT_EQ(Texts(messages), std::vector<std::string>{"Debe indicar el nombre de la aplicación"});

    // The connection string is checked before the name.
    report->AddConnection(added);
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "");
        Click(d, "opt(3)");
        Click(d, "cmdOk");
        Type(d, "txtCnn", "Provider=SQLite;Data Source=a.db");
        Click(d, "cmdOk");
        EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, "txtName"));
        Type(d, "txtName", " econnection2 ");
        Click(d, "cmdOk");  // taken, compared trimmed and ignoring case
        Type(d, "txtName", " Nueva ");
        Click(d, "cmdOk");
    });
    auto second = dialogs.AddeConnection(report);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Name, " Nueva ");
    EXPECT_EQ(second->cnnString, "Provider=SQLite;Data Source=a.db");
    EXPECT_TRUE(second->Internal);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].text, kNeedString);
    EXPECT_EQ(taken[1].text, "Debe indicar un nombre para la conexión.");
    EXPECT_EQ(taken[2].text, "Ya existe una conexión con el mismo nombre.");

    // Data-link files are imported or referenced.
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
    runner.Then([&](QDialog& d) {
        Click(d, "opt(3)");
        Click(d, "Command2");
        // The line break the data-link reader appends stays; the text box keeps it as LF.
        EXPECT_EQ(CnnText(d).toStdString(), "Provider=SQLite;Data Source=/srv/ventas.db\n");
        Click(d, "Command3");
        EXPECT_EQ(CnnText(d).toStdString(), "@DataLinkFile(\"" + udl + "\")");
        Click(d, "cmdOk");
    });
    auto linked = dialogs.AddeConnection(report);
    designer::SetFileChooser(previous);
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->cnnString, "@DataLinkFile(\"" + udl + "\")");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0], "Archivos de vínculo de datos (*.udl);;Todos los archivos (*)");
}

TEST_F(FrmConnection, EditingMayTakeAnotherConnectionsNameWritesOnAcceptAndNeedsTheManagerForItsOptions) {
    auto report = ReportWith({"Ventas", "Compras"});
    auto edited = report->eConections->Item(2);
    edited->cnnString = "@gtCnnManager.oldMaltevaDb";
    edited->Internal = false;
    runner.Then([](QDialog& d) {
        Type(d, "txtName", "Ventas ");
        Click(d, "opt(1)");
        Click(d, "dxCheckEdit1");
        Click(d, "cmdOk");
    });
    EXPECT_TRUE(dialogs.EditeConnection(report, edited));
    EXPECT_EQ(edited->Name, "Ventas ");
    EXPECT_EQ(edited->cnnString, "@gtCnnManager.oldBriscoDb");
    EXPECT_TRUE(edited->Internal);
    EXPECT_TRUE(messages->Taken().empty());

    // Without a manager file the manager is there, empty; only a file it
    // cannot read leaves the connection string as the one option.
    for (const bool unreadable : {false, true}) {
        ManagerFile missing(false);
        if (unreadable) WriteFile(missing.path(), "esto no es una sección\n");
        edited->cnnString = "@gtCnnManager.ApplicationDb(\"Ventas\")";
        runner.Then([unreadable](QDialog& d) {
            EXPECT_EQ(Find<QRadioButton>(d, "opt(3)")->isChecked(), unreadable);
            EXPECT_EQ(Find<QRadioButton>(d, "opt(0)")->isEnabled(), !unreadable);
            EXPECT_EQ(Find<QComboBox>(d, "dxCombo")->count(), 0);
        });
        EXPECT_FALSE(dialogs.EditeConnection(report, edited));
        EXPECT_EQ(edited->cnnString, "@gtCnnManager.ApplicationDb(\"Ventas\")");
        EXPECT_EQ(Texts(messages),
                  unreadable ? std::vector<std::string>{"No se encuentra el componente 'Biblioteca de Clases Base de "
                                                        "Grupo Tarsim (gTarsimBCL)' por lo que no es posible obtener "
                                                        "información sobre las aplicaciones instaladas."}
                             : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace orvane::testing
