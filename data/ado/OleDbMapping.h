// OLE DB connection strings of existing definitions, opened through the ODBC
// drivers of this machine. A table of provider families says which ODBC
// driver stands in for which OLE DB providers; the string's keys are then
// translated (Data Source, Initial Catalog, User ID, Password, Port) and the
// OLE DB-only keys dropped. The built-in table can be extended or overridden
// by the mapping file, an INI text beside the connection manager's file:
//
//     [Oracle]
//     Driver=Oracle 21 ODBC driver
//
//     [Firebird]
//     Providers=LCPI.IBProvider*
//     Driver=Firebird
//     Package=odbc-firebird
//
// A section names a family; one already in the table changes only the keys it
// gives, a new one is appended. Keys: Providers (OLE DB provider names,
// comma-separated, "*" matching any run of characters), Drivers (ODBC driver
// names of other systems this family's driver replaces in ODBC strings when
// they are not installed here), Driver (the ODBC driver to use), Package (the
// Debian package that installs it), Source (the ODBC key Data Source becomes:
// Server or DBQ), Database (the key Initial Catalog becomes), Options
// (key=value;... added to every translated string). Lines beginning with "#"
// or ";" are comments.
#pragma once

#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// How one family of databases is reached: the OLE DB providers and Windows
/// ODBC drivers it replaces, and the ODBC driver and keys used instead.
struct ORVANE_API ProviderMapping {
    std::string Family;                  ///< section name: "SQL Server", "MySQL", ...
    std::vector<std::string> Providers;  ///< OLE DB provider name patterns
    std::vector<std::string> Drivers;    ///< ODBC driver name patterns this family replaces
    std::string Driver;                  ///< ODBC driver to use; "" when none is configured
    std::string Package;                 ///< Debian package of Driver; "" when none ships
    std::string Source = "Server";       ///< key that Data Source becomes
    std::string Database = "Database";   ///< key that Initial Catalog becomes
    std::string Options;                 ///< added to every translated string
};

/// SQL Server (FreeTDS), MySQL and MariaDB (MariaDB Connector/ODBC),
/// PostgreSQL (psqlODBC), Access (MDBTools), Oracle (no driver) and SQLite
/// (sqliteodbc, for ODBC strings naming the Windows driver), each with the
/// ODBC driver names it has on Windows.
ORVANE_API std::vector<ProviderMapping> BuiltInProviderMappings();
/// Reads mapping-file text over table. False, table unchanged and error set
/// ("line N: ...") for a line that is not a section, a known key, a comment
/// or blank.
ORVANE_API bool ParseProviderMappings(const std::string& text, std::vector<ProviderMapping>& table, std::string& error);
/// "providers.ini" in the folder of the connection manager's file; "" when
/// there is no home folder.
ORVANE_API std::string ProviderMappingPath();
/// The built-in table with the mapping file read over it. Raises DataError
/// when the file is there but cannot be read, others may read or change it
/// (it must be private like the manager's), or it is malformed.
ORVANE_API std::vector<ProviderMapping> LoadProviderMappings();

/// Translates a connection string for opening:
/// - an OLE DB provider of the table becomes an ODBC string for its driver;
/// - an ODBC string (MSDASQL, Driver=) naming a driver that is not installed
///   but that a family replaces gets the family's driver;
/// - a SQL Server address "tcp:host,port" or "tcp:host\instance" (OLE DB, or
///   an ODBC string whose Windows driver is replaced) loses "tcp:", and its
///   port becomes Port=;
/// - a relative file path (SQLite Data Source, DBQ, Database of a file-based
///   driver, an Access Data Source) is looked for in baseFolder first, then
///   taken as written (the current folder). A relative Windows path gets "/"
///   for `"\"`; an absolute one (`C:\...`, `\\server\share\...`) is looked for by
///   its trailing parts, longest first (`C:\a\datos\fc.db`: a/datos/fc.db,
///   datos/fc.db, fc.db), in baseFolder and then the current folder, and is
///   its file name when none is found;
/// - ADO's timeout keys (Connect Timeout, Connection Timeout, Command Timeout,
///   and Timeout in OLE DB strings) are left out: Connection reads them.
/// Anything else comes back unchanged. Raises DataError for Windows sign-on
/// (Integrated Security=SSPI, Trusted_Connection=yes), a family without a
/// driver, and a driver that is not among installed (the message names its
/// Debian package). Messages never hold a password.
ORVANE_API std::string TranslateConnectionString(const std::string& text, const std::vector<ProviderMapping>& table,
                                      const std::vector<std::string>& installed, const std::string& baseFolder);
/// A relative file path looked for in baseFolder first: that path when a file
/// is there, else the path as written (a Windows path made local as above).
ORVANE_API std::string ResolveFilePath(const std::string& path, const std::string& baseFolder);
/// The same with LoadProviderMappings() and the drivers ODBC lists, each
/// consulted only when the string needs it.
ORVANE_API std::string TranslateConnectionString(const std::string& text, const std::string& baseFolder);

}  // namespace orvane::data
