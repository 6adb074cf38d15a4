// What a report connection resolves to, for people finding out why a report
// does not run: the kind of its stored string, the string the data layer
// would open (passwords as "***"), and whether it opens.
#pragma once

#include <cstdint>
#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane {
class eConnection;
}

namespace orvane::data {

/// What a connection's string reaches and how, as DescribeConnection finds it.
struct ORVANE_API ConnectionInfo {
    std::int16_t Kind = 5;  ///< 1 to 5, a CnnKind as its number
    std::string Via;        ///< the manager's application or the data-link file; "" for kind 5
    std::string Resolved;   ///< the string opened, passwords as "***"; "" when it could not be resolved
    std::string Problem;    ///< why it could not be resolved or opened; "" when nothing failed
    bool Opened = false;    ///< set only when asked to open
};

/// The kind in words: "administrador de conexiones" (kinds 1 to 3), "archivo
/// de vínculo de datos" (4), then what the resolved string reaches: "SQLite",
/// "ODBC" or "proveedor NAME" ("administrador de conexiones, ODBC");
/// "cadena de conexión" when nothing is known.
ORVANE_API std::string KindText(const ConnectionInfo& info);

/// Resolves the connection's stored string as OpenConnection would, without
/// opening it; with open, then opens it from that resolution as
/// OpenConnection does (ADOCnn is replaced).
/// Never raises and never holds a password.
ORVANE_API ConnectionInfo DescribeConnection(eConnection& cnn, bool open);

/// The folder of the file the connection's report was loaded from, where
/// relative file paths of its string are looked for first; "" when none.
ORVANE_API std::string DefinitionFolderOf(const eConnection& cnn);

}  // namespace orvane::data
