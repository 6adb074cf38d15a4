// The password database and host name lookups.
#include <orvanespt/platform/SystemUser.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace orvane::platform {

UserEntry CurrentUserEntry() {
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
    return {found->pw_name ? found->pw_name : "", found->pw_dir ? found->pw_dir : ""};
}

std::string OsUserName() {
    if (std::string name = CurrentUserEntry().name; !name.empty()) return name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string OsComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

}  // namespace orvane::platform
