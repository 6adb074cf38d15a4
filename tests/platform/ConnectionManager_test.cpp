// The connection manager's file: where it is, how it reads, what it refuses,
// and that saving keeps it private and whole; and how passwords are hidden
// in the texts that carry them.
#include <orvanespt/platform/ConnectionManager.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include <orvanespt/platform/Secrets.h>
#include "support/TestSupport.h"

namespace orvane::platform {
namespace {

using orvane::testing::ReadFile;
using orvane::testing::ScopedEnv;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 0777;
}

// Each malformed line is refused naming its number and not the password;
// a mark, a comment, a blank line and CR LF endings are no fault.
TEST(ConnectionManagerFile, RefusesMalformedFilesWithoutShowingThePassword) {
    ScratchDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"\xEF\xBB\xBF# c\r\n\r\nPWD=hunter2\r\n", "línea 3: la clave \"PWD\" está fuera de toda sección [aplicación]"},
        {"[a]\n; c\nPWD=hunter2\nhunter2\n", "línea 4: se esperaba [aplicación] o clave=valor"},
        {"[  ]\n", "línea 1: una sección [aplicación] necesita un nombre"},
        {"[a]\n=hunter2\n", "línea 2: una línea de clave necesita una clave antes de \"=\""},
        {"[a]\nPWD=hunter2\npwd=hunter2\n", "línea 3: la clave \"pwd\" se repite en [a]"},
    };
    for (const auto& [content, where] : cases) {
        SCOPED_TRACE(content);
        WriteFile(dir.file("bad.ini"), content);
        std::string error;
        EXPECT_EQ(ConnectionManager::Load(dir.file("bad.ini"), &error), nullptr);
        EXPECT_EQ(error, dir.file("bad.ini") + ", " + where);
    }
}

// Absent means not installed; where it is looked for follows the environment.
TEST(ConnectionManagerFile, AbsentMeansNotInstalledThePathFollowsTheEnvironmentAndLoadOrNewRefusesABadFile) {
    ScratchDir dir;
    std::string error;
    EXPECT_EQ(ConnectionManager::Load(dir.file("none.ini"), &error), nullptr);
    EXPECT_EQ(error, "el administrador de conexiones no está instalado: no existe el archivo " + dir.file("none.ini"));
    EXPECT_EQ(ConnectionManager::Load(dir.path().string(), &error), nullptr);  // a folder is no file

    ScopedEnv env("ORVANE_CONNECTIONS_FILE", dir.file("none.ini"));
    EXPECT_EQ(ConnectionManager::Create(), nullptr);
    WriteFile(dir.file("none.ini"), "");
    auto m = ConnectionManager::Create();
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->ApplicationsCollection().empty());

    {
        ScopedEnv file("ORVANE_CONNECTIONS_FILE", "/x/c.ini");
        EXPECT_EQ(ConnectionManager::DefaultPath(), "/x/c.ini");
    }
    ScopedEnv file("ORVANE_CONNECTIONS_FILE", std::nullopt);
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(ConnectionManager::DefaultPath(), "/cfg/orvanespt/connections.ini");
    }
    ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
    ScopedEnv home("HOME", "/home/ana");
    EXPECT_EQ(ConnectionManager::DefaultPath(), "/home/ana/.config/orvanespt/connections.ini");

    const std::string path = dir.file("connections.ini");
    WriteFile(path, "[Ventas]\nPWD=hunter2\nnot a key line\n");
    EXPECT_EQ(ConnectionManager::LoadOrNew(path, &error), nullptr);
    EXPECT_NE(error.find(", línea 3: "), std::string::npos) << error;
    EXPECT_EQ(ConnectionManager::LoadOrNew("", &error), nullptr);
    EXPECT_FALSE(error.empty());
}

// Saving round-trips privately, refusing first what the file could not give
// back. (A failed save is the save fault-injection test's.)
TEST(ConnectionManagerFile, SavingRoundTripsPrivatelyAndRefusesWhatTheFileCouldNotGiveBack) {
    ScratchDir dir;
    const std::string path = dir.file("cfg/orvanespt/connections.ini");
    ASSERT_TRUE(ConnectionManager::Install(path));
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(dir.file("cfg")), 0700u);

    auto m = ConnectionManager::Load(path);
    ASSERT_NE(m, nullptr);
    const ApplicationDb refused[] = {{"  ", "DSN=x", "", "", {}},       {"a", "DSN=x", "", "pw\nd", {}},
                                     {"a\rb", "DSN=x", "", "", {}},     {"a", "", "", "", {{"[x", "]"}}},
                                     {"a", "", "", "", {{"pwd", "1"}}}, {"a", "", "", "", {{"k", "1"}, {"K", "2"}}},
                                     {"a", "", "", "", {{"# c", "1"}}}};
    for (const ApplicationDb& bad : refused) EXPECT_FALSE(m->SetApplication(bad)) << &bad - refused;
    EXPECT_TRUE(m->ApplicationsCollection().empty());
    ApplicationDb app{"Malteva", "Driver={SQLite3};Database=/m.db;", "ana", " with blanks ", {{"Extra", "a=b"}}};
    ASSERT_TRUE(m->SetApplication(app));
    ASSERT_TRUE(m->SetApplication({" Otra ", "DSN=x", "", "", {}}));
    EXPECT_EQ(m->ApplicationsCollection()[1].Name, "Otra");  // trimmed
    app.UserID = "luis";
    ASSERT_TRUE(m->SetApplication(app));  // replaces, keeps the order
    ::chmod(path.c_str(), 0644);          // loosened by hand: saving makes it private again
    ASSERT_TRUE(m->Save());
    EXPECT_EQ(ModeOf(path), 0600u);

    auto again = ConnectionManager::Load(path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ApplicationsCollection(), m->ApplicationsCollection());
    ASSERT_NE(again->oldMaltevadb(), nullptr);
    EXPECT_EQ(*again->oldMaltevadb(), app);

    EXPECT_TRUE(again->RemoveApplication("MALTEVA"));
    EXPECT_FALSE(again->RemoveApplication("Malteva"));
    ASSERT_TRUE(again->Save());
    EXPECT_EQ(ConnectionManager::Load(path)->ApplicationsCollection().size(), 1u);

    const std::string before = ReadFile(path);
    ASSERT_TRUE(ConnectionManager::Install(path));  // already installed: left alone
    EXPECT_EQ(ReadFile(path), before);
}

// Password values hidden in messages, in every form they are written; a
// known secret wherever it stands alone, never inside the server's words.
TEST(Secrets, PasswordValuesAreHiddenInEveryFormAndKnownSecretsAsWholeTokens) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"login failed for DSN=x;UID=u;PWD={a;b}}c};X=1", "login failed for DSN=x;UID=u;PWD=***;X=1"},
        {"Password = \"a;b\"\"c\";Data Source=d", "Password = ***;Data Source=d"},
        {"PASSWORD='x y';z", "PASSWORD=***;z"},
        {"cnnString=\"Provider=X;Pwd=&quot;q;r&quot;;Y=1\" Internal=\"0\"",
         "cnnString=\"Provider=X;Pwd=***;Y=1\" Internal=\"0\""},
        {"cnnString=\"Provider=X;PWD=abc\" Internal=\"0\"", "cnnString=\"Provider=X;PWD=***\" Internal=\"0\""},
        {"Jet OLEDB:Database Password=k9;", "Jet OLEDB:Database Password=***;"},
        {"line one PWD=s1\r\nline two", "line one PWD=***\r\nline two"},
        {"Password={unterminated", "Password=***"},
        {"Password=\"unterminated", "Password=***"},
        {"PWD=", "PWD=***"},
        {"XPWD=kept;my_password=kept;Passwords=kept;PWD kept", "XPWD=kept;my_password=kept;Passwords=kept;PWD kept"},
    };
    for (const Case& c : cases) EXPECT_EQ(ScrubPasswords(c.in), c.out) << c.in;
    const std::pair<const char*, const char*> secrets[] = {
        {"user u with hunter2 refused", "user u with *** refused"},
        {"authentication failed for user \"postgres\"; PWD=post", "authentication failed for user \"postgres\"; PWD=***"},
        {"(post) 'post',post_x xpost post", "(***) '***',post_x xpost ***"},
        {"señorpost post", "señorpost ***"},
    };
    for (const auto& [in, out] : secrets) EXPECT_EQ(ScrubPasswords(in, {"post", "hunter2"}), out) << in;
    EXPECT_EQ(ScrubPasswords("a b", {"", "b"}), "a ***");
    // An end of the secret that is no word character needs no boundary there.
    EXPECT_EQ(ScrubPasswords("x!p@s x!p@sy", {"!p@s"}), "x*** x!p@sy");
}

}  // namespace
}  // namespace orvane::platform
