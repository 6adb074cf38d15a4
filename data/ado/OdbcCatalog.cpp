#include <orvanespt/data/ado/OdbcCatalog.h>

#include <sql.h>
#include <sqlext.h>

#include <memory>

namespace orvane::data {

namespace {

struct EnvDeleter {
    void operator()(SQLHENV env) const { SQLFreeHandle(SQL_HANDLE_ENV, env); }
};
using Environment = std::unique_ptr<void, EnvDeleter>;

Environment OpenEnvironment() {
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return Environment();
    Environment owned(env);
    if (!SQL_SUCCEEDED(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
        return Environment();
    return owned;
}

std::string Text(const SQLCHAR* buffer) { return reinterpret_cast<const char*>(buffer); }

// Calls add with each entry's name and text (a driver's attributes, a data
// source's description) that list (SQLDrivers or SQLDataSources) gives.
template <typename Add>
void ForEachListed(decltype(&SQLDrivers) list, Add add) {
    Environment env = OpenEnvironment();
    if (!env) return;
    SQLCHAR name[512];
    SQLCHAR about[2048];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT aboutLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(list(env.get(), direction, name, sizeof name, &nameLength, about, sizeof about, &aboutLength))) {
        add(Text(name), Text(about));
        direction = SQL_FETCH_NEXT;
    }
}

}  // namespace

std::vector<std::string> ListOdbcDrivers() {
    std::vector<std::string> drivers;
    ForEachListed(SQLDrivers, [&](std::string name, std::string) { drivers.push_back(std::move(name)); });
    return drivers;
}

std::vector<OdbcDataSource> ListOdbcDataSources() {
    std::vector<OdbcDataSource> sources;
    ForEachListed(SQLDataSources,
                  [&](std::string name, std::string description) { sources.push_back({name, description}); });
    return sources;
}

}  // namespace orvane::data
