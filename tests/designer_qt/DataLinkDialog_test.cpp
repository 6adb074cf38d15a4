// "Diseñar": the dialog that composes a connection string, driven as a person
// would, over a private ODBC configuration (ODBCSYSINI, ODBCINI) so the
// driver and data-source lists are known: the real SQLite3 ODBC driver and
// one whose library is missing.
#include <orvanespt/designer/qt/DataLinkDialog.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <filesystem>

#include <orvanespt/designer/qt/FrmConnection.h>
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

const char* const kSqliteOdbc = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
const char* const kSuccess = "La conexión de prueba fue satisfactoria.";
const char* const kFailure = "No se pudo abrir la conexión: ";

// The driver manager reads ODBCSYSINI once per process, so the whole program
// shares one private configuration, set before anything uses ODBC.
struct PrivateOdbc {
    ScratchDir dir;
    std::string db = dir.file("ventas.db");
    PrivateOdbc() {
        WriteFile(db, "");  // an empty file is an empty SQLite database
        WriteFile(dir.path() / "odbcinst.ini",
                  std::string("[SQLite3]\nDriver=") + kSqliteOdbc + "\n[Roto]\nDriver=/nonexistent/libroto.so\n");
        WriteFile(dir.path() / "odbc.ini", "[ventas_sistema]\nDriver=SQLite3\nDatabase=" + db + "\n");
        WriteFile(dir.path() / "user.ini", "[compras personal]\nDriver=Roto\n");
        setenv("ODBCSYSINI", dir.path().c_str(), 1);
        setenv("ODBCINI", dir.file("user.ini").c_str(), 1);
    }
};
const PrivateOdbc& Odbc() {
    static PrivateOdbc config;
    return config;
}
const PrivateOdbc& g_privateOdbc = Odbc();

class DataLinkDialog : public ::testing::Test {
protected:
    const std::string db_ = Odbc().db;
};

void Choose(QDialog& d, const char* combo, const QString& text) {
    auto* c = Find<QComboBox>(d, combo);
    const int i = c->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    c->setCurrentIndex(i);
}

QString Preview(QDialog& d) { return Find<QLabel>(d, "lblPreview")->text(); }

TEST_F(DataLinkDialog, DisenarPutsTheComposedSqliteStringIntoTheEditor) {
    ManagerFile manager(true);
    ScriptedRunner runner;
    MessageRecorder messages;
    designer::frmConnection editor;
    editor.Agregar();
    runner.Then([&](QDialog& d) {
        Click(d, "opt(3)");
        auto* text = Find<QPlainTextEdit>(d, "txtCnn");
        Click(d, "Command1");
        EXPECT_EQ(text->toPlainText().toStdString(), "Provider=SQLite;Data Source=" + db_);
    });
    runner.Then([&](QDialog& d) {
        EXPECT_FALSE(Find<QPushButton>(d, "cmdOk")->isEnabled());
        Type(d, "txtFile", QString::fromStdString(" " + db_ + " "));
        EXPECT_EQ(Preview(d).toStdString(), "Provider=SQLite;Data Source=" + db_);
        Click(d, "cmdTest");
        Click(d, "cmdOk");
    });
    RunModal(editor);
    EXPECT_EQ(runner.Shown(), 2);
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, kSuccess);
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::Information);
}

TEST_F(DataLinkDialog, ComposesOdbcStringsFromTheListedSourcesAndDriversWithoutShowingThePassword) {
    if (!std::filesystem::exists(kSqliteOdbc)) GTEST_SKIP() << "SQLite3 ODBC driver not installed";
    ScriptedRunner runner;
    MessageRecorder messages;
    const QString password = "pw;}x";
    runner.Then([&](QDialog& d) {
        Click(d, "optDsn");
        auto* dsn = Find<QComboBox>(d, "cmbDsn");
        QStringList sources = Entries(dsn);
        sources.sort();
        EXPECT_EQ(sources, (QStringList{"compras personal", "ventas_sistema"}));
        EXPECT_EQ(Entries(Find<QComboBox>(d, "cmbDriver")), (QStringList{"SQLite3", "Roto"}));
        Choose(d, "cmbDsn", "compras personal");
        Type(d, "txtUser", "ana");
        Type(d, "txtPassword", password);
        EXPECT_EQ(Preview(d), "Provider=MSDASQL;DSN=compras personal;UID=ana;PWD=***;");
        Click(d, "cmdTest");  // its driver's library is missing

        Click(d, "optDriver");
        Choose(d, "cmbDriver", "SQLite3");
        Type(d, "txtParameters", QString::fromStdString("Database=" + db_));
        EXPECT_FALSE(Preview(d).contains(password));
        Click(d, "cmdOk");
    });
    const auto built = designer::DataLinkDialog::PromptNew(nullptr);
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(*built, "Provider=MSDASQL;Driver={SQLite3};Database=" + db_ + ";UID=ana;PWD={pw;}}x};");
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text.rfind(kFailure, 0), 0u) << taken[0].text;
    EXPECT_NE(taken[0].text.find("libroto"), std::string::npos) << taken[0].text;
    EXPECT_EQ(taken[0].text.find("pw;"), std::string::npos) << taken[0].text;
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::Critical);
}

// "Probar conexión" opens what the report would: a manager's application
// with its user and password, a data-link file's string, and says why not.
TEST_F(DataLinkDialog, TestingAStoredStringOpensItAsTheReportWould) {
    ManagerFile manager(true);
    WriteFile(Odbc().dir.file("ventas.udl"), "[oledb]\r\nProvider=SQLite;Data Source=" + db_ + "\r\n");
    const struct {
        std::string stored;
        bool opens;
        std::string says;
    } cases[] = {
        {"@DataLinkFile(\"" + Odbc().dir.file("ventas.udl") + "\")", true, ""},
        {"@gtCnnManager.oldMaltevaDb", false, "el administrador de conexiones no tiene la aplicación \"Malteva\""},
        {"@gtCnnManager.ApplicationDb(\"Ventas\")", false, "no se puede abrir la base de datos SQLite v.db"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(designer::TestConnectionText(c.stored, &error), c.opens) << c.stored << error;
        EXPECT_EQ(error.substr(0, c.says.size()), c.says) << c.stored;
    }
}

}  // namespace
}  // namespace orvane::testing
