// The driver and data-source lists, read from a private driver manager
// configuration (ODBCSYSINI for drivers and system data sources, ODBCINI for
// the user's), so what they must list is known. No driver is loaded to list.
// The driver manager reads ODBCSYSINI once per process, so these tests run in
// a process of their own (tests/CMakeLists.txt) and share one folder whose
// files each test rewrites.
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

const ScratchDir& Config() {
    static ScratchDir dir;
    static ScopedEnv sys("ODBCSYSINI", dir.path().string());
    static ScopedEnv user("ODBCINI", dir.file("user.ini"));
    return dir;
}

TEST(OdbcCatalog, ListsTheConfiguredDriversAndBothKindsOfDataSource) {
    const ScratchDir& dir = Config();
    WriteFile(dir.path() / "odbcinst.ini",
              "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=/nonexistent/libsqlite3odbc.so\n\n"
              "[Controlador {raro}; con blancos]\nDriver=/nonexistent/otro.so\n");
    WriteFile(dir.path() / "odbc.ini", "[ventas_sistema]\nDriver=SQLite3\nDatabase=/nonexistent/v.db\n");
    WriteFile(dir.path() / "user.ini", "[compras personal]\nDriver=Controlador {raro}; con blancos\n");

    EXPECT_EQ(ListOdbcDrivers(), (std::vector<std::string>{"SQLite3", "Controlador {raro}; con blancos"}));
    const auto sources = Sorted(ListOdbcDataSources());
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].first, "compras personal");
    EXPECT_EQ(sources[1].first, "ventas_sistema");
    // The description names the data source's driver.
    EXPECT_EQ(sources[1].second, "SQLite3");
}

TEST(OdbcCatalog, AConfigurationWithoutEntriesListsNothing) {
    const ScratchDir& dir = Config();
    WriteFile(dir.path() / "odbcinst.ini", "");
    WriteFile(dir.path() / "odbc.ini", "# nothing yet\n");
    std::filesystem::remove(dir.file("user.ini"));
    EXPECT_TRUE(ListOdbcDrivers().empty());
    EXPECT_TRUE(ListOdbcDataSources().empty());
}

}  // namespace
}  // namespace orvane::data
