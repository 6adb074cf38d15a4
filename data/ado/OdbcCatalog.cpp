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

}  // namespace

std::vector<std::string> ListOdbcDrivers() {
    std::vector<std::string> drivers;
    Environment env = OpenEnvironment();
    if (!env) return drivers;
    SQLCHAR name[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env.get(), direction, name, sizeof name, &nameLength, attributes,
                                    sizeof attributes, &attributesLength))) {
        drivers.push_back(Text(name));
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

std::vector<OdbcDataSource> ListOdbcDataSources() {
    std::vector<OdbcDataSource> sources;
    Environment env = OpenEnvironment();
    if (!env) return sources;
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env.get(), direction, name, sizeof name, &nameLength, description,
                                        sizeof description, &descriptionLength))) {
        sources.push_back({Text(name), Text(description)});
        direction = SQL_FETCH_NEXT;
    }
    return sources;
}

}  // namespace orvane::data
