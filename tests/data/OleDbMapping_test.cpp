// OLE DB strings translated for the ODBC drivers of this machine, one row per
// provider family and form, with the mapping file's overrides.
#include "data/ado/OleDbMapping.h"

#include <gtest/gtest.h>

#include <fstream>

#include "data/ado/DataError.h"
#include "support/TestSupport.h"

namespace orvane::data {
namespace {

struct Row {
    std::string written;
    std::string expected;  // the ODBC string; "!" and a part of the error text when refused
    bool userFile = false;  // the mapping file below is read over the built-in table
    bool drivers = true;    // the Debian drivers are installed
};

const char* const kUserFile =
    "# site overrides\n[Oracle]\nDriver=Oracle 21\n\n[sql server]\nOptions=TDS_Version=7.4\n"
    "[Firebird]\nProviders=LCPI.IBProvider*\nDriver=Firebird\nPackage=firebird-odbc\n";

TEST(OleDbMapping, TranslatesEveryProviderFamily) {
    testing::ScratchDir dir;
    std::ofstream(dir.file("ventas.accdb")) << "x";
    std::ofstream(dir.file("ventas.db")) << "x";
    const std::string d = dir.path().string() + "/";
    const std::vector<Row> rows = {
        {"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=s3cret;Initial Catalog=Ventas;"
         "Data Source=srv\\SQLEXPRESS;Application Name=X",
         "Driver={FreeTDS};Server=srv\\SQLEXPRESS;Database=Ventas;UID=sa;PWD=s3cret;"},
        {"provider = SQLNCLI11 ; Server=srv, 1433;Database=V;UID=u;PWD=s3cret;Network Library=DBMSSOCN",
         "Driver={FreeTDS};Server=srv;Port=1433;Database=V;UID=u;PWD=s3cret;"},
        {"Provider=MSOLEDBSQL.19;Address=srv;Initial Catalog=V;User ID=u;Password=s3cret",
         "Driver={FreeTDS};Server=srv;Database=V;UID=u;PWD=s3cret;TDS_Version=7.4;", true},
        {"Provider=MSOLEDBSQL;Data Source=srv;Integrated Security=SSPI;Password=s3cret", "!Windows sign-on"},
        {"Provider=SQLOLEDB;Data Source=srv;Trusted_Connection=yes", "!Windows sign-on"},
        {"Provider=SQLNCLI10;Data Source=srv;User ID=u;Password=s3cret", "!Debian package tdsodbc", false, false},
        {"Provider=MySQLProv;Data Source=db.local;Port=3307;Initial Catalog=tienda;User Id=u;Password='s3;cret'",
         "Driver={MariaDB Unicode};Server=db.local;Port=3307;Database=tienda;UID=u;PWD={s3;cret};"},
        {"Provider=MySQL.OLEDB.Provider;Server=h;Database=t;UID=u;PWD=s3cret",
         "Driver={MariaDB Unicode};Server=h;Database=t;UID=u;PWD=s3cret;"},
        {"Provider=MSDASQL;Driver={MySQL ODBC 8.0 Unicode Driver};Server=h;Database=d;Pwd=s3cret",
         "Provider=MSDASQL;Driver={MariaDB Unicode};Server=h;Database=d;Pwd=s3cret;"},
        {"Driver={MySQL ODBC 5.3 ANSI Driver};Server=h", "!Debian package odbc-mariadb", false, false},
        {"Provider=PostgreSQL OLE DB Provider;Data Source=pg;Location=conta;User ID=p;Password=s3cret;"
         "Extended Properties=\"PORT=5433;SSL=0\"",
         "Driver={PostgreSQL Unicode};Server=pg;Port=5433;Database=conta;UID=p;PWD=s3cret;"},
        {"Provider=PGNP.1;Data Source=pg;Initial Catalog=c;User ID=p", "Driver={PostgreSQL Unicode};Server=pg;Database=c;UID=p;"},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\Datos\\ventas.accdb;Jet OLEDB:Database Password=s3cret",
         "Driver={MDBTools};DBQ=" + d + "ventas.accdb;"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=datos\\viejo.mdb;Mode=Share Deny None",
         "Driver={MDBTools};DBQ=datos/viejo.mdb;"},
        {"Provider=OraOLEDB.Oracle;Data Source=ORCL;User ID=s;Password=s3cret", "![Oracle]"},
        {"Provider=MSDAORA.1;Data Source=ORCL;User ID=s;Password=s3cret", "Driver={Oracle 21};DBQ=ORCL;UID=s;PWD=s3cret;", true},
        {"Provider=LCPI.IBProvider.5;Data Source=h", "!Debian package firebird-odbc", true},
        {"Provider=SQLite;Data Source=ventas.db", "Provider=SQLite;Data Source=" + d + "ventas.db;"},
        {"Provider=SQLite;Data Source=otra.db", "Provider=SQLite;Data Source=otra.db;"},
        {"Driver={SQLite3};Database=ventas.db;", "Driver={SQLite3};Database=" + d + "ventas.db;"},
        {"Driver={PostgreSQL Unicode};Database=ventas.db;", "Driver={PostgreSQL Unicode};Database=ventas.db;"},
        {"Provider=Nadie.1;Data Source=x", "Provider=Nadie.1;Data Source=x"},
    };
    std::vector<ProviderMapping> withFile = BuiltInProviderMappings();
    std::string error;
    ASSERT_TRUE(ParseProviderMappings(kUserFile, withFile, error)) << error;
    const std::vector<std::string> debian = {"FreeTDS", "mariadb unicode", "PostgreSQL Unicode", "MDBTools",
                                             "SQLite3", "Oracle 21"};
    for (const Row& r : rows) {
        const auto& table = r.userFile ? withFile : BuiltInProviderMappings();
        const auto installed = r.drivers ? debian : std::vector<std::string>{};
        try {
            EXPECT_EQ(TranslateConnectionString(r.written, table, installed, dir.path().string()), r.expected)
                << r.written;
        } catch (const DataError& e) {
            EXPECT_EQ(r.expected[0], '!') << r.written << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(r.expected.substr(1)), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find("s3"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace orvane::data
