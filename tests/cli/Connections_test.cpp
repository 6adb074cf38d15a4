// orvane connections: what each connection resolves to, one row per OLE DB
// provider family and form, with a private ODBC driver list, a site mapping
// file and the connection manager; then without the drivers, and with a
// mapping file that is not private or cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include <orvanespt/platform/Text.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

struct Row {
    const char* name;
    std::string written;
    std::string shown;  // after "NAME [kind N]"
};

TEST(CliConnections, ShowWhatEachProviderBecomesAndWhyItDoesNotOpen) {
    testing::SalesReport s;
    const std::string d = s.dir.path().string(), xml = testing::ShellQuote(d + "/ventas.xml");
    const std::string sspi =
        ": el inicio de sesión de Windows (%) no está disponible aquí: dé a la conexión un User ID y un Password";
    const Row rows[] = {
        {"ventas", "Provider=SQLite;Data Source=ventas.db", ": Provider=SQLite;Data Source=" + d + "/ventas.db;"},
        {"sql1",
         "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=s3cret;Initial Catalog=V;"
         "Data Source=srv\\SQLEXPRESS;Application Name=X",
         ": Driver={FreeTDS};Server=srv\\SQLEXPRESS;Database=V;UID=sa;PWD=***;TDS_Version=7.4;"},
        {"sql2", "provider = SQLNCLI11 ; Server=srv, 1433;Database=V;UID=u;PWD=s3cret;Network Library=DBMSSOCN",
         ": Driver={FreeTDS};Server=srv;Port=1433;Database=V;UID=u;PWD=***;TDS_Version=7.4;"},
        {"sql3", "Provider=MSOLEDBSQL.19;Address=srv;Integrated Security=SSPI",
         text::ReplaceAll(sspi, "%", "Integrated Security=SSPI")},
        {"sql4", "Provider=SQLNCLI10;Data Source=srv;Trusted_Connection=yes",
         text::ReplaceAll(sspi, "%", "Trusted_Connection=yes")},
        {"my1", "Provider=MySQLProv;Data Source=db;Port=3307;Initial Catalog=t;User Id=u;Password='s3;cret'",
         ": Driver={MariaDB Unicode};Server=db;Port=3307;Database=t;UID=u;PWD=***;"},
        {"my2", "Provider=MSDASQL;Driver={MySQL ODBC 8.0 Unicode Driver};Server=h;Pwd=s3cret",
         ": Provider=MSDASQL;Driver={MariaDB Unicode};Server=h;Pwd=***;"},
        {"pg1", "Provider=PostgreSQL OLE DB Provider;Data Source=pg;Location=c;Extended Properties=\"PORT=5433;SSL=0\"",
         ": Driver={PostgreSQL Unicode};Server=pg;Port=5433;Database=c;"},
        {"acc1",
         "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\Datos\\ventas.db;Jet OLEDB:Database Password=s3cret",
         ": Driver={MDBTools};DBQ=" + d + "/ventas.db;"},
        {"acc2", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=datos\\viejo.mdb;Mode=Share Deny None",
         ": Driver={MDBTools};DBQ=datos/viejo.mdb;"},
        {"ora", "Provider=MSDAORA.1;Data Source=ORCL;User ID=s;Password=s3cret",
         ": Driver={Oracle 21};DBQ=ORCL;UID=s;PWD=***;"},
        {"fb", "Provider=LCPI.IBProvider.5;Data Source=h",
         ": el controlador ODBC \"Firebird\" que necesita el proveedor \"LCPI.IBProvider.5\" no está instalado "
         "(paquete de Debian fb-odbc)"},
        {"lite", "Driver={SQLite3};Database=otra.db;", ": Driver={SQLite3};Database=otra.db;"},
        {"nadie", "Provider=Nadie.1;Data Source=ventas.db", ": Provider=Nadie.1;Data Source=ventas.db"},
        {"enlace", "@DataLinkFile(\"enlace.udl\")",
         " mediante " + d + "/enlace.udl: Provider=SQLite;Data Source=" + d + "/ventas.db;"},
        {"enlace2", "@DataLinkFile(\"falta.udl\")",
         " mediante falta.udl: archivo de vínculo de datos \"falta.udl\": no contiene ninguna cadena de conexión"},
        {"app", "@gtCnnManager.ApplicationDb(\"Conta\")",
         " mediante Conta: Driver={PostgreSQL Unicode};Server=pg;Port=5433;Database=c;UID=u;PWD=***;"},
        // The SQL Server client's protocol prefix, OLE DB's ADO timeouts.
        {"tcp1", "Provider=SQLOLEDB;Data Source=tcp:srv,1444;Connect Timeout=5;Command Timeout=0;Timeout=3",
         ": Driver={FreeTDS};Server=srv;Port=1444;TDS_Version=7.4;"},
        {"tcp2", "Provider=SQLNCLI11;Server=TCP: srv\\SQLEXPRESS;Database=V",
         ": Driver={FreeTDS};Server=srv\\SQLEXPRESS;Database=V;TDS_Version=7.4;"},
        // Windows ODBC driver names, with their address forms and files made local.
        {"w1", "Driver={SQL Server};Server=tcp:srv,1433;Database=V;UID=u;PWD=s3cret;Connection Timeout=9",
         ": Driver={FreeTDS};Server=srv;Database=V;UID=u;PWD=***;Port=1433;"},
        {"w2", "Driver={SQL Server Native Client 11.0};Server=srv\\INST;Port=2000",
         ": Driver={FreeTDS};Server=srv\\INST;Port=2000;"},
        {"w3", "Driver={ODBC Driver 18 for SQL Server};Server=tcp:srv;Trusted_Connection=Yes",
         text::ReplaceAll(sspi, "%", "Trusted_Connection=Yes")},
        {"w4", "Driver={ODBC Driver 17 for SQL Server};Server=srv,1433", ": Driver={FreeTDS};Server=srv;Port=1433;"},
        {"w5", "Driver={SQLite3 ODBC Driver};Database=C:\\Informes\\datos\\fc.db;Timeout=2000",
         ": Driver={SQLite3};Database=" + d + "/datos/fc.db;Timeout=2000;"},
        {"w6", "Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=\\\\srv\\share\\Informes\\fc.db",
         ": Driver={MDBTools};DBQ=fc.db;"},
        {"w7", "Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\Informes\\ventas.db",
         ": Driver={MDBTools};DBQ=" + d + "/ventas.db;"},
        {"w8", "Driver={PostgreSQL Unicode(x64)};Server=pg", ": Driver={PostgreSQL Unicode};Server=pg;"},
        {"w9", "Driver={PostgreSQL ANSI(x64)};Server=pg", ": Driver={PostgreSQL Unicode};Server=pg;"},
        {"w10", "Driver={MySQL ODBC 5.3 ANSI Driver};Server=h", ": Driver={MariaDB Unicode};Server=h;"},
        {"w11", "Driver={MySQL ODBC 8.0 Unicode Driver};Server=h", ": Driver={MariaDB Unicode};Server=h;"},
        {"w12", "Driver={MariaDB ODBC 3.1 Driver};Server=h;Command Timeout=5", ": Driver={MariaDB Unicode};Server=h;"},
    };
    std::string expected;
    s.rpt->eConections->Remove(1);
    for (const Row& r : rows) {
        auto c = std::make_shared<eConnection>();
        c->Name = r.name;
        c->cnnString = r.written;
        s.rpt->AddConnection(c);
        // The kind in words: how the string is stored, then what it reaches.
        const std::string via = r.written[0] != '@' ? ""
                                : r.name[0] == 'e'  ? "archivo de vínculo de datos"
                                                    : "administrador de conexiones";
        const std::string reaches = r.shown.find("Provider=SQLite") != std::string::npos ? "SQLite"
                                    : r.shown.find("Nadie") != std::string::npos         ? "proveedor Nadie.1"
                                    : r.shown.find("Driver={") != std::string::npos      ? "ODBC"
                                                                                         : "";
        const std::string kind = via + (via.empty() || reaches.empty() ? "" : ", ") + reaches;
        expected += std::string(r.name) + " [" + (kind.empty() ? "cadena de conexión" : kind) + "]" + r.shown + "\n";
    }
    testing::WriteFile(d + "/ventas.xml", s.rpt->ToXML());
    std::filesystem::create_directories(d + "/datos");
    testing::WriteFile(d + "/datos/fc.db", "");
    testing::WriteFile(d + "/enlace.udl", "[oledb]\r\n; comment\r\nProvider=SQLite;Data Source=ventas.db\r\n");
    testing::WriteFile(d + "/connections.ini",
                       "[Conta]\nConnectionString=Provider=PGNP;Data Source=pg;Location=c;"
                       "Port=5433\nUserID=u\nPWD=s3cret\n");
    const std::string mapping =
        "[Oracle]\nDriver=Oracle 21\n[sql server]\nOptions=TDS_Version=7.4\n"
        "[Firebird]\nProviders=LCPI.IBProvider*\nDriver=Firebird\nPackage=fb-odbc\n";
    testing::WriteFile(d + "/providers.ini", mapping);
    chmod((d + "/providers.ini").c_str(), 0600);
    std::string drivers;
    for (const char* name : {"FreeTDS", "MariaDB Unicode", "PostgreSQL Unicode", "MDBTools", "SQLite3", "Oracle 21"})
        drivers += std::string("[") + name + "]\nDriver=/nonexistent/" + name + ".so\n";
    testing::WriteFile(d + "/odbcinst.ini", drivers);
    testing::WriteFile(d + "/odbc.ini", "");
    testing::ScopedEnv manager("ORVANE_CONNECTIONS_FILE", d + "/connections.ini");
    testing::ScopedEnv sysIni("ODBCSYSINI", d);
    testing::ScopedEnv userIni("ODBCINI", d + "/odbc.ini");

    testing::Outcome o = testing::RunOrvane("connections " + xml);
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, expected);

    // Any connection that does not open fails the command.
    o = testing::RunOrvane("connections --open --format json " + xml);
    EXPECT_EQ(o.status, 1) << o.err;
    const auto j = nlohmann::json::parse(o.out);
    ASSERT_EQ(j.size(), std::size(rows)) << o.out;
    EXPECT_EQ(std::vector<bool>({j[0]["opened"], j[10]["opened"], j[13]["opened"], j[14]["opened"], j[15]["opened"]}),
              std::vector<bool>({true, false, false, true, false}));
    EXPECT_NE(j[10]["problem"].get<std::string>().find("/nonexistent/Oracle 21.so"), std::string::npos) << j[10];
    EXPECT_NE(j[13]["problem"].get<std::string>().find("el proveedor \"Nadie.1\" no se admite"), std::string::npos)
        << j[13];
    EXPECT_EQ(o.out.find("s3cret"), std::string::npos);

    // Without the drivers each family names its Debian package; Oracle, without the site's mapping, what to set.
    testing::WriteFile(d + "/odbcinst.ini", "");
    std::filesystem::remove(d + "/providers.ini");
    o = testing::RunOrvane("connections " + xml);
    for (const char* shown :
         {"sql1 [cadena de conexión]: el controlador ODBC \"FreeTDS\" que necesita el proveedor \"SQLOLEDB.1\" no "
          "está instalado (paquete de Debian tdsodbc)",
          "que necesita el controlador \"MySQL ODBC 8.0 Unicode Driver\" no está instalado (paquete de Debian "
          "odbc-mariadb)",
          "y Debian no trae ninguno: indique el instalado aquí como Driver= en la sección [Oracle] de "})
        EXPECT_NE(o.out.find(shown), std::string::npos) << shown << "\n" << o.out;

    // A mapping file others may read, or with a line it cannot take, stops every OLE DB string.
    testing::WriteFile(d + "/providers.ini", mapping);
    o = testing::RunOrvane("connections " + xml);
    EXPECT_NE(o.out.find("ora [cadena de conexión]: " + d + "/providers.ini: otros usuarios pueden leerlo"),
              std::string::npos)
        << o.out;
    testing::WriteFile(d + "/providers.ini", "[Oracle]\nDriverr=Oracle 21\n");
    chmod((d + "/providers.ini").c_str(), 0600);
    o = testing::RunOrvane("connections " + xml);
    EXPECT_NE(o.out.find("ora [cadena de conexión]: " + d + "/providers.ini, línea 2: la clave \"Driverr\" no existe"),
              std::string::npos)
        << o.out;
}

}  // namespace
}  // namespace orvane
