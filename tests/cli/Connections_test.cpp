// orvane connections: what each connection resolves to, with a private ODBC
// driver list (no FreeTDS), a site mapping file and the connection manager,
// and why each does not open. Passwords: tests/cli/Secrets_test.cpp.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/CliRunner.h"
#include "data/RunTimeFixture.h"

namespace orvane {
namespace {

using orvane::testing::SalesReport;

TEST(CliConnections, ShowsWhatEachConnectionResolvesToAndWhyItDoesNotOpen) {
    SalesReport s;
    const std::string d = s.dir.path().string();
    s.cnn->cnnString = "Provider=SQLite;Data Source=ventas.db";  // beside the definition
    const std::pair<const char*, const char*> more[] = {
        {"sql", "Provider=SQLNCLI11;Data Source=srv\\SQLEXPRESS;Initial Catalog=V;User ID=sa;Password=Hidd3n"},
        {"sspi", "Provider=SQLOLEDB;Server=srv,1433;Integrated Security=SSPI"},
        {"maria", "Provider=MySQLProv;Data Source=h,3307;User Id=u;Password=Hidd3n;Persist Security Info=True"},
        {"ora", "Provider=OraOLEDB.Oracle;Data Source=ORCL;User ID=s;Password=Hidd3n"},
        {"enlace", "@DataLinkFile(\"enlace.udl\")"},
        {"app", "@gtCnnManager.ApplicationDb(\"Conta\")"},
    };
    for (const auto& [name, text] : more) {
        auto c = std::make_shared<eConnection>();
        c->Name = name;
        c->cnnString = text;
        s.rpt->AddConnection(c);
    }
    testing::WriteFile(d + "/enlace.udl", "[oledb]\r\n; comment\r\nProvider=SQLite;Data Source=ventas.db\r\n");
    testing::WriteFile(d + "/connections.ini",
                       "[Conta]\nConnectionString=Provider=PGNP.1;Data Source=pg;Location=c;Port=5433\nUserID=u\n"
                       "PWD=Hidd3n\n");
    testing::WriteFile(d + "/providers.ini", "[Oracle]\nDriver=Oracle 21\n");
    chmod((d + "/providers.ini").c_str(), 0600);
    testing::WriteFile(d + "/odbcinst.ini",
                       "[PostgreSQL Unicode]\nDriver=/nonexistent/psql.so\n[MariaDB Unicode]\nDriver=/nonexistent/"
                       "maria.so\n[Oracle 21]\nDriver=/nonexistent/ora.so\n");
    testing::WriteFile(d + "/odbc.ini", "");
    testing::WriteFile(d + "/ventas.xml", s.rpt->ToXML());
    testing::ScopedEnv manager("ORVANE_CONNECTIONS_FILE", d + "/connections.ini");
    testing::ScopedEnv drivers("ODBCSYSINI", d);
    testing::ScopedEnv sources("ODBCINI", d + "/odbc.ini");

    testing::Outcome o = testing::RunOrvane("connections " + testing::ShellQuote(d + "/ventas.xml"));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              "ventas [kind 5]: Provider=SQLite;Data Source=" + d + "/ventas.db;\n"
              "sql [kind 5]: the ODBC driver \"FreeTDS\" that provider \"SQLNCLI11\" needs is not installed "
              "(Debian package tdsodbc)\n"
              "sspi [kind 5]: Windows sign-on (Integrated Security=SSPI) is not available here: give the "
              "connection a User ID and a Password\n"
              "maria [kind 5]: Driver={MariaDB Unicode};Server=h;Port=3307;UID=u;PWD=***;\n"
              "ora [kind 5]: Driver={Oracle 21};DBQ=ORCL;UID=s;PWD=***;\n"
              "enlace [kind 4] via " + d + "/enlace.udl: Provider=SQLite;Data Source=" + d + "/ventas.db;\n"
              "app [kind 1] via Conta: Driver={PostgreSQL Unicode};Server=pg;Port=5433;Database=c;UID=u;PWD=***;\n");

    o = testing::RunOrvane("connections --open --format json " + testing::ShellQuote(d + "/ventas.xml"));
    const auto j = nlohmann::json::parse(o.out);
    ASSERT_EQ(j.size(), 7u) << o.out;
    EXPECT_EQ(std::vector<bool>({j[0]["opened"], j[4]["opened"], j[5]["opened"]}), std::vector<bool>({true, false, true}));
    EXPECT_NE(j[4]["problem"].get<std::string>().find("ora.so"), std::string::npos) << j[4];

    // A mapping file others may read, or one with a line it cannot take, stops every OLE DB string.
    chmod((d + "/providers.ini").c_str(), 0644);
    o = testing::RunOrvane("connections " + testing::ShellQuote(d + "/ventas.xml"));
    EXPECT_NE(o.out.find("ora [kind 5]: " + d + "/providers.ini: other users may read"), std::string::npos) << o.out;
    testing::WriteFile(d + "/providers.ini", "[Oracle]\nDriverr=Oracle 21\n");
    chmod((d + "/providers.ini").c_str(), 0600);
    o = testing::RunOrvane("connections " + testing::ShellQuote(d + "/ventas.xml"));
    EXPECT_NE(o.out.find("ora [kind 5]: " + d + "/providers.ini, line 2: unknown key"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace orvane
