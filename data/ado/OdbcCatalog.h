// The ODBC drivers and data sources installed on this machine, as the ODBC
// driver manager lists them, for the dialog that composes connection strings.
#pragma once

#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// An ODBC data source the driver manager lists.
struct ORVANE_API OdbcDataSource {
    std::string Name;         ///< the DSN
    std::string Description;  ///< usually the driver's name
};

/// The installed drivers' names in the driver manager's order; empty when the
/// driver manager cannot be reached or lists none.
ORVANE_API std::vector<std::string> ListOdbcDrivers();
/// The user and system data sources; empty when none or on failure.
ORVANE_API std::vector<OdbcDataSource> ListOdbcDataSources();

}  // namespace orvane::data
