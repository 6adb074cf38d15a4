// The connection manager's own dialog, as a person reaches it: "Configurar"
// of the connection editor, or the editor window's tools menu when there is
// no manager file yet.
#include <orvanespt/designer/qt/ApplicationsDialog.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include <orvanespt/designer/qt/FrmConnection.h>
#include <orvanespt/designer/qt/OrvaneE.h>
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using platform::ConnectionManager;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

void Pick(QDialog& d, const QString& name) {
    auto* list = Find<QListWidget>(d, "lstApplications");
    const auto items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items[0]).center());
}

QStringList Listed(QDialog& d) { return Entries(Find<QListWidget>(d, "lstApplications")); }

// Whether any text the dialog shows (fields, hints, labels, list) holds secret.
bool Shows(QDialog& d, const QString& secret) {
    for (auto* e : d.findChildren<QLineEdit*>())
        if (e->text().contains(secret) || e->placeholderText().contains(secret) || e->displayText().contains(secret))
            return true;
    for (auto* l : d.findChildren<QLabel*>())
        if (l->text().contains(secret)) return true;
    return Listed(d).join('\n').contains(secret);
}

// The manager's file holds "Ventas" (user u, password "secreto") and "Compras".
class ApplicationsDialog : public ::testing::Test {
protected:
    ManagerFile file{true};
    ScriptedRunner runner;
    MessageRecorder messages;
};

TEST_F(ApplicationsDialog, RefusesABlankOrTakenNameCancelKeepsTheFileThenConfigurarRenamesEditsAdds) {
    const std::string before = ReadFile(file.path());
    designer::frmConnection editor;
    editor.Agregar();
    runner.Then([](QDialog& d) { Click(d, "bCfg"); });
    runner.Then([](QDialog& d) {
        Click(d, "cmdNew");
        Type(d, "txtConnectionString", "DSN=x");
        Click(d, "cmdOk");
        EXPECT_TRUE(d.isVisible());
        Type(d, "txtAppName", " ventas ");
        Type(d, "txtPassword", "pisada");
        Click(d, "cmdApply");
        Pick(d, "Compras");
        Type(d, "txtAppName", "VENTAS");
        Click(d, "cmdOk");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(Listed(d), (QStringList{"Ventas", "Compras"}));
        Pick(d, "Ventas");  // applied changes, then "Cancelar"
        Click(d, "cmdRemove");
        EXPECT_EQ(Listed(d), QStringList{"Compras"});
        Click(d, "cmdCancel");
    });
    RunModal(editor);
    EXPECT_EQ(ReadFile(file.path()), before);
    EXPECT_EQ(Entries(editor.dxCombo), (QStringList{"Ventas", "Compras"}));
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].text, "Debe indicar el nombre de la aplicación");
    EXPECT_EQ(taken[1].text, "Ya existe una aplicación con el nombre \"Ventas\".");
    EXPECT_EQ(taken[2].text, taken[1].text);
    messages->Clear();

    // Again, accepted: the editor lists the result.
    runner.Then([&](QDialog& d) {
        Click(d, "bCfg");
        EXPECT_EQ(Entries(editor.dxCombo), (QStringList{"Compras", "Ventas 2026", "Almacén"}));
    });
    runner.Then([](QDialog& d) {
        EXPECT_EQ(Listed(d), (QStringList{"Ventas", "Compras"}));
        Pick(d, "Ventas");
        auto* password = Find<QLineEdit>(d, "txtPassword");
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(password->text().isEmpty());
        EXPECT_FALSE(Shows(d, "secreto"));
        Type(d, "txtAppName", "Ventas 2026");  // a rename: the stored password stays
        Click(d, "cmdApply");
        Pick(d, "Compras");
        Type(d, "txtUser", "luis");
        Type(d, "txtPassword", "n3w;pw");
        Click(d, "cmdApply");
        Click(d, "cmdNew");
        Type(d, "txtAppName", "Almacén");
        Type(d, "txtConnectionString", "Provider=SQLite;Data Source=a.db");
        Click(d, "cmdOk");  // the fields being edited are kept without "Guardar aplicación"
    });
    RunModal(editor);
    EXPECT_EQ(runner.Shown(), 4);

    auto saved = ConnectionManager::Load(file.path());
    ASSERT_NE(saved, nullptr);
    const auto& apps = saved->ApplicationsCollection();
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0], (platform::ApplicationDb{"Compras", "Provider=SQLite;Data Source=c.db", "luis", "n3w;pw", {}}));
    EXPECT_EQ(apps[1], (platform::ApplicationDb{"Ventas 2026", "Provider=SQLite;Data Source=v.db", "u", "secreto", {}}));
    EXPECT_EQ(apps[2], (platform::ApplicationDb{"Almacén", "Provider=SQLite;Data Source=a.db", "", "", {}}));
    EXPECT_EQ(ModeOf(file.path()), 0600u);
    EXPECT_TRUE(messages->Taken().empty());
}

TEST_F(ApplicationsDialog, WithoutAFileTheFirstSavedApplicationCreatesItPrivately) {
    ScratchDir dir;
    const std::string path = dir.file("config/orvanespt/connections.ini");
    ScopedEnv env("ORVANE_CONNECTIONS_FILE", path);
    designer::OrvaneE window;
    auto* tools = window.findChild<QAction*>("mnuAplicaciones");
    ASSERT_NE(tools, nullptr);

    runner.Then([](QDialog& d) {
        EXPECT_TRUE(Listed(d).isEmpty());
        Click(d, "cmdOk");
    });
    tools->trigger();
    EXPECT_FALSE(std::filesystem::exists(dir.file("config")));

    runner.Then([](QDialog& d) {
        Type(d, "txtAppName", "Ventas");
        Type(d, "txtConnectionString", "Provider=SQLite;Data Source=v.db");
        Type(d, "txtPassword", "clave");
        Click(d, "cmdOk");
    });
    tools->trigger();
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(dir.file("config/orvanespt")), 0700u);

    auto saved = ConnectionManager::Load(path);
    ASSERT_NE(saved, nullptr);
    ASSERT_NE(saved->applicationdb("Ventas"), nullptr);
    EXPECT_EQ(saved->applicationdb("Ventas")->PWD, "clave");

    // An unreadable file is reported, never replaced.
    WriteFile(path, "[Ventas]\nbroken line\n");
    tools->trigger();
    EXPECT_EQ(runner.Shown(), 2);
    EXPECT_EQ(ReadFile(path), "[Ventas]\nbroken line\n");
    const auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text.rfind("No se pudo abrir el archivo del administrador de conexiones: ", 0), 0u);
    EXPECT_NE(taken[0].text.find("línea 2"), std::string::npos);
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::Critical);
}

}  // namespace
}  // namespace orvane::testing
