// Connection-string kinds, macro arguments and data-link files, and opening
// report connections by kind with the failures each can have.
#include <orvanespt/data/Connections.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <optional>

#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/DataError.h>
#include "support/TestSupport.h"

namespace orvane::data {
namespace {

using orvane::testing::SalesReport;
using orvane::testing::ScopedEnv;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

// UTF-16 bytes of an ASCII or Latin-1 text, with its byte-order mark.
std::string Utf16(const std::string& latin1, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : latin1) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

TEST(ConnectionKind, RecognisesTheMacrosAndTheirArgumentsAndOpensEachKind) {
    const std::pair<const char*, int> cases[] = {
        {"@gtCnnManager.oldBriscoDb", 2},
        {"@gtCnnManager.oldMaltevaDb", 3},
        {"@gtCnnManager.ApplicationDb(\"Ventas\")", 1},
        {"@DataLinkFile(\"/srv/ventas.udl\")", 4},
        {"Provider=SQLite;Data Source=:memory:", 5},
        {"@gtCnnManager.oldBriscoDb ", 5},                               // not the whole text
        {"@gtcnnmanager.applicationdb(\"Ventas\")", 5},                  // case counts
        {"@DataLinkFile(\"a\") @gtCnnManager.ApplicationDb(\"b\")", 1},  // anywhere
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(ConnectionKind(text), kind) << text;

    const std::pair<std::string, std::string> arguments[] = {
        {ApplicationNameOf("a@gtCnnManager.ApplicationDb(\"Ventas\")b"), "aVentasb"},
        {DataLinkPathOf("@DataLinkFile(\"/srv/a b.udl\")"), "/srv/a b.udl"},
        // Data-link lines: trimmed, ended by CR LF, those starting with the prefix dropped.
        {DropLinesStartingWith("[oledb]\r\n; comment\r\n  Provider=X  \r\n", "[oledb]"), "; comment\r\nProvider=X\r\n"},
        {DropLinesStartingWith("a\n\nb", ";"), "a\r\n\r\nb\r\n"},
        {DropLinesStartingWith("[OLEDB]\r;x\r y", "[oledb]"), "[OLEDB]\r\n;x\r\ny\r\n"},
        {DropLinesStartingWith("   ;indented\n", ";"), ""},
    };
    for (const auto& [got, expected] : arguments) EXPECT_EQ(got, expected);

    // The connection line whatever byte-order mark the file starts with;
    // nothing from a file missing, a folder, or past the size limit, whose
    // opening says why.
    const std::string lines =
        "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n   Provider=SQLite;Data Source=/d.db\r\n";
    const std::string expected = "Provider=SQLite;Data Source=/d.db\r\n", latin1 = "Data Source=/a\xF1o.db";
    const std::string line = "Provider=SQLite;Data Source=/x.db\r\n";
    const std::string big = line + std::string(kMaxDataLinkFileBytes - line.size(), ' ');
    ScratchDir dir;
    const struct {
        const char* name;
        std::string bytes, read;
    } files[] = {
        {"be.udl", Utf16(lines, true), expected},
        {"bom.udl", "\xEF\xBB\xBF" + lines, expected},
        {"utf16-latin1.udl", Utf16(latin1, false), "Data Source=/a\xC3\xB1o.db\r\n"},
        {"limit.udl", big, line + "\r\n"},
        {"big.udl", big + " ", ""},
    };
    for (const auto& f : files) {
        WriteFile(dir.file(f.name), f.bytes);
        EXPECT_EQ(ReadDataLinkFile(dir.file(f.name)), f.read) << f.name;
    }
    for (const std::string& path : {dir.file("none.udl"), dir.path().string(), std::string()})
        EXPECT_EQ(ReadDataLinkFile(path), "") << path;
    try {
        OpenAdoConnection("@DataLinkFile(\"" + dir.file("big.udl") + "\")");
        ADD_FAILURE() << "opened";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "archivo de vínculo de datos \"" + dir.file("big.udl") + "\": mide más de 1048576 bytes");
    }

    SalesReport s;
    // A manager file holding the sales database as "Ventas" and "Brisco"; then
    // no manager file at all.
    const std::string file = s.dir.file("connections.ini");
    std::optional<ScopedEnv> env(std::in_place, "ORVANE_CONNECTIONS_FILE", file);
    WriteFile(file, "[Ventas]\nConnectionString=" + s.SqliteString() +
                        "\n[Brisco]\nConnectionString=" + s.SqliteString() + "\nUserID=u\nPWD=Sup3rS3cret\n");
    s.cnn->cnnString = "@gtCnnManager.ApplicationDb(\"ventas\")";
    ASSERT_TRUE(s.cnn->OpenConnection()) << s.cnn->LastOpenError;
    s.cnn->cnnString = "@gtCnnManager.oldBriscoDb";
    ASSERT_TRUE(s.cnn->OpenConnection()) << s.cnn->LastOpenError;

    s.cnn->cnnString = "@gtCnnManager.oldMaltevaDb";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_EQ(s.cnn->LastOpenError, "el administrador de conexiones no tiene la aplicación \"Malteva\"");
    // The manager found no application: the connection comes back unopened.
    EXPECT_EQ(OpenAdoConnection(s.cnn->cnnString)->State(), 0);

    env.emplace("ORVANE_CONNECTIONS_FILE", s.dir.file("not-installed.ini"));
    s.cnn->cnnString = "@gtCnnManager.ApplicationDb(\"Ventas\")";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_NE(s.cnn->LastOpenError.find("no está instalado"), std::string::npos) << s.cnn->LastOpenError;
    EXPECT_THROW(OpenAdoConnection(s.cnn->cnnString), DataError);

    eConnection detached;  // in no report, so with no folder for relative paths
    detached.cnnString = "Provider=SQLite;Data Source=:memory:";
    EXPECT_TRUE(detached.OpenConnection()) << detached.LastOpenError;
}

// SQLite waits for another connection's lock as long as the command timeout
// lets it, from the string or set by the host; a timeout that is no whole
// number of seconds is refused; MDBTools' own words on a file it cannot
// open make the error.
TEST(ConnectionTimeouts, SqliteWaitsForALockUntilTheCommandTimeoutAndBadValuesAreRefused) {
    ScratchDir dir;
    const std::string db = dir.file("t.db");
    orvane::testing::MakeDatabase(db, "CREATE TABLE t(n INTEGER);");
    sqlite3* other = nullptr;
    sqlite3_open(db.c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    for (const std::optional<int> host : {std::optional<int>(), std::optional<int>(1)}) {
        auto cnn = std::make_shared<Connection>();
        cnn->CommandTimeout = host;
        cnn->Open("Provider=SQLite;Data Source=" + db + (host ? ";Command Timeout=60" : ";Command Timeout=1"), "", "");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(orvane::testing::Execute(cnn, "INSERT INTO t VALUES (1)"), DataError);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(cnn->LastError(), "sin respuesta en 1 s (Command Timeout): database is locked");
    }
    sqlite3_close(other);

    const std::pair<std::string, std::string> refused[] = {
        {"Provider=SQLite;Data Source=:memory:;Connect Timeout=abc",
         "Connect Timeout=abc: se esperaba un número entero de segundos entre 0 y 86400"},
        {"Provider=SQLite;Data Source=:memory:;Command Timeout=-1",
         "Command Timeout=-1: se esperaba un número entero de segundos entre 0 y 86400"},
        {"Provider=SQLOLEDB;Data Source=s;Timeout=86401",
         "Timeout=86401: se esperaba un número entero de segundos entre 0 y 86400"},
    };
    for (const auto& [cs, why] : refused) {
        Connection cnn;
        EXPECT_THROW(cnn.Open(cs, "", ""), DataError) << cs;
        EXPECT_EQ(cnn.LastError(), why);
    }

    const char* mdbtools = "/usr/lib/x86_64-linux-gnu/odbc/libmdbodbc.so";
    if (!std::filesystem::exists(mdbtools)) GTEST_SKIP() << "MDBTools not installed";
    Connection access;
    EXPECT_THROW(access.Open(std::string("Driver=") + mdbtools + ";DBQ=" + dir.file("falta.mdb"), "", ""), DataError);
    EXPECT_EQ(access.LastError(), "File not found; Unable to locate database " + dir.file("falta.mdb"));
}

}  // namespace
}  // namespace orvane::data
