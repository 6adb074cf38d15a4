// Who and where the process runs: the effective user's name and home folder,
// and the computer's network name.
#pragma once

#include <string>

namespace orvane::platform {

// The effective user's entry of the password database; a field the system
// does not give is "".
struct UserEntry {
    std::string name;
    std::string home;
};
UserEntry CurrentUserEntry();

// The user the process runs as: the password database's name, else $USER;
// "" when neither is known.
std::string OsUserName();

// The computer's network name (gethostname); "" when it cannot be read.
std::string OsComputerName();

}  // namespace orvane::platform
