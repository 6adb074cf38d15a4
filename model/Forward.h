// Forward declarations of the definition classes and of the run-time data
// objects they point to, so headers can refer to each other cheaply.
#pragma once

namespace orvane {
class Orvane;
class eConnection;
class eRSource;
class eParameter;
class eDialog;
class ePrnFormat;
class eControl;
class eData;
class eResData;
class ExtProperty;
namespace data {
class Command;
class Connection;
class Recordset;
}  // namespace data
}  // namespace orvane
