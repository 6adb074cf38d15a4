// Keeps the ODBC driver libraries mapped for the whole test run. The driver
// manager unloads a driver when its last connection closes; allocations a
// driver never frees are then reported by the leak checker against an
// unknown module, which no suppression can name. Loaded once more with
// RTLD_NODELETE, the libraries stay, and tests/lsan.supp matches them.
#include <dlfcn.h>

#include <initializer_list>

namespace {

struct DriversResident {
    DriversResident() {
        for (const char* lib : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                                "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"})
            dlopen(lib, RTLD_NOW | RTLD_NODELETE);
    }
} const g_driversResident;

}  // namespace
