// Opening report connections by kind: plain strings, data-link files and the
// connection manager's applications, with the failures each can have.
#include <gtest/gtest.h>

#include "data/Connections.h"
#include "data/ado/Connection.h"
#include "platform/ConnectionManager.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::SalesReport;
using testing::ScopedEnv;
using testing::WriteFile;

// A plain string opens a new connection each time; a failed reopen keeps
// the previous one.
TEST(OpenConnection, APlainStringOpensANewConnectionEachTime) {
    SalesReport s;
    ASSERT_TRUE(s.cnn->OpenConnection()) << s.cnn->LastOpenError;
    const auto first = s.cnn->ADOCnn;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->CursorLocation, 3);
    ASSERT_TRUE(s.cnn->OpenConnection());
    EXPECT_NE(s.cnn->ADOCnn, first);
    EXPECT_EQ(first->State() + s.cnn->ADOCnn->State(), 2);
    EXPECT_EQ(s.cnn->LastOpenError, "");
    const auto second = s.cnn->ADOCnn;
    s.cnn->cnnString = "Provider=Nadie";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_EQ(s.cnn->ADOCnn, second);
}

// A manager file holding the sales database as "Ventas", "Brisco" and an
// application whose database does not exist.
struct ManagedReport : SalesReport {
    std::string file = dir.file("connections.ini");
    ScopedEnv env{"ORVANE_CONNECTIONS_FILE", file};

    ManagedReport() {
        WriteFile(file, "[Ventas]\nConnectionString=" + SqliteString() + "\n[Brisco]\nConnectionString=" +
                            SqliteString() + "\nUserID=u\nPWD=Sup3rS3cret\n[Rota]\nConnectionString=" +
                            "Provider=SQLite;Data Source=" + dir.file("absent.db") + "\nPWD=Sup3rS3cret\n");
    }
};

TEST(OpenConnection, ManagerApplicationsOpenByName) {
    ManagedReport s;
    s.cnn->cnnString = "@gtCnnManager.ApplicationDb(\"ventas\")";
    ASSERT_TRUE(s.cnn->OpenConnection()) << s.cnn->LastOpenError;
    s.cnn->cnnString = "@gtCnnManager.oldBriscoDb";
    ASSERT_TRUE(s.cnn->OpenConnection()) << s.cnn->LastOpenError;

    s.cnn->cnnString = "@gtCnnManager.oldMaltevaDb";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_NE(s.cnn->LastOpenError.find("no application \"Malteva\""), std::string::npos) << s.cnn->LastOpenError;
    // The manager found no application: the connection comes back unopened.
    const auto closed = data::OpenAdoConnection(s.cnn->cnnString);
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->State(), 0);

    s.cnn->cnnString = "@gtCnnManager.ApplicationDb(\"Rota\")";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_NE(s.cnn->LastOpenError.find("application \"Rota\""), std::string::npos) << s.cnn->LastOpenError;
    EXPECT_EQ(s.cnn->LastOpenError.find("Sup3rS3cret"), std::string::npos);
    EXPECT_EQ(data::OpenAdoConnection(s.cnn->cnnString)->State(), 0);  // the failed open is ignored
}

TEST(OpenConnection, WithoutTheManagerFileManagerKindsFail) {
    SalesReport s;
    ScopedEnv env("ORVANE_CONNECTIONS_FILE", s.dir.file("not-installed.ini"));
    s.cnn->cnnString = "@gtCnnManager.ApplicationDb(\"Ventas\")";
    EXPECT_FALSE(s.cnn->OpenConnection());
    EXPECT_NE(s.cnn->LastOpenError.find("not installed"), std::string::npos) << s.cnn->LastOpenError;
    EXPECT_THROW(data::OpenAdoConnection(s.cnn->cnnString), data::DataError);
}

}  // namespace
}  // namespace orvane
