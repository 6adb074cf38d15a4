// The driver and data-source lists, read from a private driver manager
// configuration (ODBCSYSINI for drivers and system data sources, ODBCINI for
// the user's), so what they must list is known. No driver is loaded to list.
// The driver manager reads ODBCSYSINI once per process, so this test runs in
// a process of its own (tests/CMakeLists.txt).
#include "data/ado/OdbcCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/TestSupport.h"

namespace orvane::data {
namespace {

using orvane::testing::ScopedEnv;
using orvane::testing::ScratchDir;
using orvane::testing::WriteFile;

std::vector<std::pair<std::string, std::string>> Sorted(const std::vector<OdbcDataSource>& sources) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& s : sources) out.emplace_back(s.Name, s.Description);
    std::sort(out.begin(), out.end());
    return out;
}

// Both lists from a private configuration, then from one without entries.
TEST(OdbcCatalog, ListsTheConfiguredDriversAndBothKindsOfDataSource) {
    ScratchDir dir;
    ScopedEnv sys("ODBCSYSINI", dir.path().string()), user("ODBCINI", dir.file("user.ini"));
    WriteFile(dir.path() / "odbcinst.ini",
              "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=/nonexistent/libsqlite3odbc.so\n\n"
              "[Controlador {raro}; con blancos]\nDriver=/nonexistent/otro.so\n");
    WriteFile(dir.path() / "odbc.ini", "[ventas_sistema]\nDriver=SQLite3\nDatabase=/nonexistent/v.db\n");
    WriteFile(dir.path() / "user.ini", "[compras personal]\nDriver=Controlador {raro}; con blancos\n");
    EXPECT_EQ(ListOdbcDrivers(), (std::vector<std::string>{"SQLite3", "Controlador {raro}; con blancos"}));
    // The description names the data source's driver.
    EXPECT_EQ(Sorted(ListOdbcDataSources()),
              (std::vector<std::pair<std::string, std::string>>{{"compras personal", "Controlador {raro}; con blancos"},
                                                                {"ventas_sistema", "SQLite3"}}));

    WriteFile(dir.path() / "odbcinst.ini", "");
    WriteFile(dir.path() / "odbc.ini", "# nothing yet\n");
    std::filesystem::remove(dir.file("user.ini"));
    EXPECT_TRUE(ListOdbcDrivers().empty());
    EXPECT_TRUE(ListOdbcDataSources().empty());
}

}  // namespace
}  // namespace orvane::data
