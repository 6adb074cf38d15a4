// Who and where the process runs: the effective user's name and home folder,
// and the computer's network name.
#pragma once

#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The effective user's entry of the password database; a field the system
/// does not give is "".
struct ORVANE_API UserEntry {
    std::string name;  ///< the login name
    std::string home;  ///< the home folder
};
/// The entry of the user the process runs as.
ORVANE_API UserEntry CurrentUserEntry();

/// The user the process runs as: the password database's name, else $USER;
/// "" when neither is known.
ORVANE_API std::string OsUserName();

/// The computer's network name (gethostname); "" when it cannot be read.
ORVANE_API std::string OsComputerName();

}  // namespace orvane::platform
