// The provider families, the mapping file and the translation of connection
// strings for the ODBC drivers of this machine.
#include <orvanespt/data/ado/OleDbMapping.h>

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/OdbcCatalog.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/ConnectionManager.h>
#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxMappingFileBytes = 1 << 20;

using Pair = detail::ConnectionPair;
using detail::BraceValue;
using detail::SplitConnectionString;
using Pairs = std::vector<Pair>;

// A segment written by the translation: its value braced when it must be.
Pair Made(const std::string& key, const std::string& value) {
    return {key, value, key + "=" + BraceValue(value)};
}

// A driver's segment, always braced: driver names hold blanks.
Pair DriverPair(const std::string& key, const std::string& driver) {
    return {key, driver, key + "={" + text::ReplaceAll(driver, "}", "}}") + "}"};
}

bool KeyIs(const Pair& p, std::initializer_list<std::string_view> keys) {
    for (std::string_view k : keys)
        if (text::EqualsIgnoreCase(p.key, k)) return true;
    return false;
}

const Pair* Find(const std::vector<Pair>& pairs, std::initializer_list<std::string_view> keys) {
    for (const Pair& p : pairs)
        if (KeyIs(p, keys)) return &p;
    return nullptr;
}

// A pattern where "*" matches any run of characters, ignoring case.
bool Matches(std::string_view pattern, std::string_view name) {
    const std::string p = text::Lower(pattern), n = text::Lower(name);
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (pi < p.size() && p[pi] == n[ni]) {
            ++pi;
            ++ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool AnyMatches(const std::vector<std::string>& patterns, std::string_view name) {
    for (const auto& pattern : patterns)
        if (Matches(pattern, name)) return true;
    return false;
}

bool IsFileDriver(std::string_view driver) {
    const std::string d = text::Lower(driver);
    return d.find("sqlite") != std::string::npos || d.find("mdb") != std::string::npos ||
           d.find("access") != std::string::npos;
}

// An "on" value of Integrated Security or Trusted_Connection.
bool IsOn(const std::string& v) {
    return text::EqualsIgnoreCase(v, "sspi") || text::EqualsIgnoreCase(v, "true") || text::EqualsIgnoreCase(v, "yes");
}

bool IsWindowsAbsolute(const std::string& path) {
    const bool drive = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    return drive || path.starts_with('\\');
}

// The trailing parts of an absolute Windows path, longest first, without its
// drive or its \\server\share: C:\Informes\datos\fc.db gives
// Informes/datos/fc.db, datos/fc.db and fc.db.
std::vector<std::string> TrailingPaths(const std::string& path) {
    std::string_view rest(path);
    if (rest.size() >= 2 && rest[1] == ':') rest.remove_prefix(2);
    const bool unc = rest.starts_with("\\\\");
    std::vector<std::string> parts;
    for (const auto& part : text::Split(text::ReplaceAll(rest, "/", "\\"), "\\"))
        if (!part.empty()) parts.emplace_back(part);
    if (unc)
        parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(2, parts.size())));
    std::vector<std::string> tails;
    for (std::size_t first = 0; first < parts.size(); ++first) {
        std::string tail;
        for (std::size_t i = first; i < parts.size(); ++i) tail += (tail.empty() ? "" : "/") + parts[i];
        tails.push_back(std::move(tail));
    }
    return tails;
}

// Decision: a relative path is looked for beside the definition first, then
// taken as written, so a database kept in the current folder still opens. A
// relative Windows path gets "/" for "\". An absolute Windows path names a
// folder of another machine: it is looked for by its trailing parts, longest
// first, beside the definition and then in the current folder, and is its
// file name alone when none is there.
std::string ResolveFile(const std::string& written, const std::string& base) {
    std::error_code ec;
    if (IsWindowsAbsolute(written)) {
        const std::vector<std::string> tails = TrailingPaths(written);
        if (tails.empty()) return written;
        for (const std::string& tail : tails)
            if (!base.empty() && fs::exists(fs::path(base) / tail, ec))
                return (fs::path(base) / tail).lexically_normal().string();
        for (const std::string& tail : tails)
            if (fs::exists(tail, ec)) return tail;
        return tails.back();
    }
    const std::string path = text::ReplaceAll(written, "\\", "/");
    if (path.empty() || path == ":memory:" || path.starts_with("file:") || path.front() == '/' || base.empty())
        return path;
    const fs::path candidate = fs::path(base) / path;
    return fs::exists(candidate, ec) ? candidate.lexically_normal().string() : path;
}

// Windows sign-on cannot be given here; refused with what to write instead.
void RefuseWindowsSignOn(const std::vector<Pair>& pairs) {
    for (const Pair& p : pairs)
        if (KeyIs(p, {"integrated security", "trusted_connection"}) && IsOn(p.value))
            throw DataError(msg::WindowsSignOn(p.key + "=" + p.value));
}

// A SQL Server address as the Windows clients take it, for drivers that take
// host and port apart: the protocol prefix "tcp:" goes, and "host,port"
// becomes the host, with the port in port unless one was given.
std::string HostAndPort(std::string source, std::string& port) {
    source = std::string(text::TrimWhite(source));
    if (source.size() > 4 && text::EqualsIgnoreCase(std::string_view(source).substr(0, 4), "tcp:"))
        source = std::string(text::TrimWhite(std::string_view(source).substr(4)));
    const auto comma = source.rfind(',');
    if (comma == std::string::npos) return source;
    const std::string digits(text::TrimWhite(std::string_view(source).substr(comma + 1)));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return source;
    if (port.empty()) port = digits;
    return std::string(text::TrimWhite(std::string_view(source).substr(0, comma)));
}

// Keys that only OLE DB knows; dropped, not passed to the driver.
bool IsOleDbOnly(const Pair& p) {
    return p.key.find(':') != std::string::npos ||
           KeyIs(p, {"provider", "persist security info", "network library", "network", "application name",
                     "workstation id", "connect timeout", "connection timeout", "timeout", "command timeout", "mode",
                     "extended properties", "integrated security", "trusted_connection", "auto translate",
                     "packet size", "use procedure for prepare", "use encryption for data",
                     "tag with column collation when possible", "locale identifier", "ole db services", "general timeout", "datatypecompatibility", "current language",
                     "initial file name", "data typecompatibility", "prompt"});
}

// The PORT= setting inside an Extended Properties value, or "".
std::string PortInside(const std::string& extended) {
    const auto inner = SplitConnectionString(extended);
    const Pair* port = Find(inner, {"port"});
    return port ? port->value : "";
}

class Translator {
public:
    Translator(std::function<const std::vector<ProviderMapping>&()> table,
               std::function<const std::vector<std::string>&()> installed, std::string base)
        : table_(std::move(table)), installed_(std::move(installed)), base_(std::move(base)) {}

    // nullopt when the string goes through as written.
    std::optional<Pairs> Run(const Pairs& pairs) const {
        const Pair* provider = Find(pairs, {"provider"});
        const std::string name = provider ? std::string(text::TrimWhite(provider->value)) : "";
        if (text::EqualsIgnoreCase(name, "sqlite")) return Sqlite(pairs);
        if (text::EqualsIgnoreCase(name, "msdasql") || (!provider && Find(pairs, {"driver", "dsn"})))
            return Odbc(pairs);
        if (!provider) return std::nullopt;
        const ProviderMapping* family = FamilyOf(name, &ProviderMapping::Providers);
        if (!family) return std::nullopt;
        return FromOleDb(pairs, name, *family);
    }

private:
    const ProviderMapping* FamilyOf(std::string_view name, std::vector<std::string> ProviderMapping::*patterns) const {
        const auto& table = table_();
        // The last match wins, so families added by the mapping file come first.
        for (auto it = table.rbegin(); it != table.rend(); ++it)
            if (AnyMatches((*it).*patterns, name)) return &*it;
        return nullptr;
    }

    bool IsInstalled(const std::string& driver) const {
        std::error_code ec;
        if (driver.starts_with('/')) return fs::exists(driver, ec);
        for (const auto& d : installed_())
            if (text::EqualsIgnoreCase(d, driver)) return true;
        return false;
    }

    void RequireDriver(const ProviderMapping& m, const std::string& asked) const {
        if (m.Driver.empty()) throw DataError(msg::NoDebianDriver(asked, m.Family, ProviderMappingPath()));
        if (IsInstalled(m.Driver)) return;
        throw DataError(msg::DriverNotInstalled(m.Driver, asked, m.Package));
    }

    Pairs Sqlite(Pairs pairs) const {
        for (Pair& p : pairs)
            if (KeyIs(p, {"data source", "database"})) p = Made(p.key, ResolveFile(p.value, base_));
        return pairs;
    }

    // An ODBC string keeps its keys; a driver of another system is replaced
    // by its family's, whose server address then takes the form that driver
    // reads. ADO's own timeout keys are no driver's: Connection reads them.
    Pairs Odbc(Pairs pairs) const {
        Pair* driver = nullptr;
        for (Pair& p : pairs)
            if (KeyIs(p, {"driver"})) driver = &p;
        bool replaced = false;
        if (driver && !IsInstalled(driver->value)) {
            if (const ProviderMapping* family = FamilyOf(driver->value, &ProviderMapping::Drivers)) {
                RefuseWindowsSignOn(pairs);
                RequireDriver(*family, msg::AskedByDriver(driver->value));
                *driver = DriverPair(driver->key, family->Driver);
                replaced = true;
            }
        }
        const bool files = driver && IsFileDriver(driver->value);
        const bool hasPort = Find(pairs, {"port"}) != nullptr;
        Pairs out;
        std::string port;
        for (const Pair& p : pairs) {
            if (KeyIs(p, {"connect timeout", "connection timeout", "command timeout"})) continue;
            if (KeyIs(p, {"dbq"}) || (files && KeyIs(p, {"database"})))
                out.push_back(Made(p.key, ResolveFile(p.value, base_)));
            else if (replaced && !files && KeyIs(p, {"server", "address", "addr"}))
                out.push_back(Made(p.key, HostAndPort(p.value, port)));
            else
                out.push_back(p);
        }
        if (!hasPort && !port.empty()) out.push_back({"Port", port, "Port=" + port});
        return out;
    }

    Pairs FromOleDb(const Pairs& pairs, const std::string& name, const ProviderMapping& m) const {
        RefuseWindowsSignOn(pairs);
        RequireDriver(m, msg::AskedByProvider(name));
        std::string source, port, database, user, password, extended;
        Pairs rest;
        bool hasPassword = false;
        for (const Pair& p : pairs) {
            if (KeyIs(p, {"data source", "server", "address", "addr", "network address", "host"}))
                source = p.value;
            else if (KeyIs(p, {"initial catalog", "database", "location"}))
                database = p.value;
            else if (KeyIs(p, {"user id", "uid", "user", "user name", "username"}))
                user = p.value;
            else if (KeyIs(p, {"password", "pwd"}))
                password = p.value, hasPassword = true;
            else if (KeyIs(p, {"port"}))
                port = p.value;
            else if (KeyIs(p, {"extended properties"}))
                extended = PortInside(p.value);
            else if (!IsOleDbOnly(p))
                rest.push_back(p);
        }
        if (port.empty()) port = extended;
        source = IsFileDriver(m.Driver) ? ResolveFile(source, base_) : HostAndPort(source, port);
        Pairs out{DriverPair("Driver", m.Driver)};
        if (!source.empty()) out.push_back(Made(m.Source, source));
        if (!port.empty()) out.push_back(Made("Port", port));
        if (!database.empty()) out.push_back(Made(m.Database, database));
        if (!user.empty()) out.push_back(Made("UID", user));
        if (hasPassword) out.push_back(Made("PWD", password));
        out.insert(out.end(), rest.begin(), rest.end());
        for (Pair& option : SplitConnectionString(m.Options)) out.push_back(std::move(option));
        return out;
    }

    std::function<const std::vector<ProviderMapping>&()> table_;
    std::function<const std::vector<std::string>&()> installed_;
    std::string base_;
};

std::vector<std::string> List(std::string_view text) {
    std::vector<std::string> out;
    for (const auto& piece : text::Split(text, ","))
        if (const auto t = text::TrimBlanks(piece); !t.empty()) out.emplace_back(t);
    return out;
}

bool StoreKey(ProviderMapping& m, std::string_view key, std::string_view value) {
    const std::string v(text::TrimBlanks(value));
    if (text::EqualsIgnoreCase(key, "providers")) m.Providers = List(v);
    else if (text::EqualsIgnoreCase(key, "drivers")) m.Drivers = List(v);
    else if (text::EqualsIgnoreCase(key, "driver")) m.Driver = v;
    else if (text::EqualsIgnoreCase(key, "package")) m.Package = v;
    else if (text::EqualsIgnoreCase(key, "source")) m.Source = v.empty() ? "Server" : v;
    else if (text::EqualsIgnoreCase(key, "database")) m.Database = v.empty() ? "Database" : v;
    else if (text::EqualsIgnoreCase(key, "options")) m.Options = v;
    else return false;
    return true;
}

}  // namespace

std::vector<ProviderMapping> BuiltInProviderMappings() {
    return {
        {"SQL Server", {"SQLOLEDB", "SQLOLEDB.*", "SQLNCLI*", "MSOLEDBSQL*"},
         {"SQL Server", "SQL Server Native Client*", "ODBC Driver * for SQL Server", "SQL Native Client"},
         "FreeTDS", "tdsodbc", "Server", "Database", ""},
        {"MySQL", {"MySQLProv", "MySQLProv.*", "MySQL.OLEDB.Provider*"}, {"MySQL*", "MariaDB ODBC*"},
         "MariaDB Unicode", "odbc-mariadb", "Server", "Database", ""},
        {"PostgreSQL", {"PostgreSQL OLE DB Provider", "PostgreSQL", "PostgreSQL.*", "PGNP", "PGNP.*"},
         {"PostgreSQL*", "psqlODBC*"}, "PostgreSQL Unicode", "odbc-postgresql", "Server", "Database", ""},
        {"Access", {"Microsoft.Jet.OLEDB.*", "Microsoft.ACE.OLEDB.*"}, {"Microsoft Access Driver*"}, "MDBTools",
         "odbc-mdbtools", "DBQ", "Database", ""},
        {"Oracle", {"OraOLEDB.Oracle*", "MSDAORA*"}, {"Oracle in *", "Microsoft ODBC for Oracle"}, "", "", "DBQ",
         "Database", ""},
        // No OLE DB provider: Provider=SQLite is opened natively.
        {"SQLite", {}, {"SQLite3 ODBC Driver"}, "SQLite3", "libsqliteodbc", "Database", "Database", ""},
    };
}

bool ParseProviderMappings(const std::string& text, std::vector<ProviderMapping>& table, std::string& error) {
    std::vector<ProviderMapping> out = table;
    ProviderMapping* current = nullptr;
    int number = 0;
    for (const auto& raw : text::Split(text, "\n")) {
        ++number;
        const std::string_view line = text::TrimWhite(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        const std::string where = platform::msg::Line(number);
        if (line.front() == '[' && line.back() == ']') {
            const std::string family(text::TrimBlanks(line.substr(1, line.size() - 2)));
            if (family.empty()) return error = where + platform::msg::SectionNeedsName(msg::kFamilySection), false;
            current = nullptr;
            for (auto& m : out)
                if (text::EqualsIgnoreCase(m.Family, family)) current = &m;
            if (!current) {
                current = &out.emplace_back();
                current->Family = family;
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return error = where + platform::msg::ExpectedSectionOrKey(msg::kFamilySection), false;
        const std::string key(text::TrimBlanks(line.substr(0, eq)));
        if (!current) return error = where + platform::msg::KeyOutsideSection(key, msg::kFamilySection), false;
        if (!StoreKey(*current, key, line.substr(eq + 1))) return error = where + msg::UnknownMappingKey(key), false;
    }
    table = std::move(out);
    return true;
}

std::string ProviderMappingPath() {
    const std::string manager = platform::ConnectionManager::DefaultPath();
    return manager.empty() ? "" : (fs::path(manager).parent_path() / "providers.ini").string();
}

std::vector<ProviderMapping> LoadProviderMappings() {
    std::vector<ProviderMapping> table = BuiltInProviderMappings();
    const std::string path = ProviderMappingPath();
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return table;
    if (!S_ISREG(st.st_mode)) throw DataError(platform::msg::NotAFile(path));
    // It decides which driver receives the passwords: private, like the
    // connection manager's file.
    if (st.st_mode & 077) throw DataError(platform::msg::NotPrivate(path));
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxMappingFileBytes)
        throw DataError(platform::msg::FileLargerThan(path, kMaxMappingFileBytes));
    std::string bytes;
    if (const platform::FileResult read = platform::ReadWholeFile(path, bytes); !read.ok())
        throw DataError(read.Message());
    std::string error;
    if (!ParseProviderMappings(bytes, table, error)) throw DataError(path + ", " + error);
    return table;
}

std::string ResolveFilePath(const std::string& path, const std::string& baseFolder) {
    return ResolveFile(path, baseFolder);
}

std::string TranslateConnectionString(const std::string& text, const std::vector<ProviderMapping>& table,
                                      const std::vector<std::string>& installed, const std::string& baseFolder) {
    const auto out =
        Translator([&]() -> const auto& { return table; }, [&]() -> const auto& { return installed; }, baseFolder)
            .Run(SplitConnectionString(text));
    return out ? detail::JoinConnectionPairs(*out) : text;
}

std::string TranslateConnectionString(const std::string& text, const std::string& baseFolder) {
    const auto out = detail::TranslatePairs(SplitConnectionString(text), baseFolder);
    return out ? detail::JoinConnectionPairs(*out) : text;
}

std::optional<std::vector<detail::ConnectionPair>> detail::TranslatePairs(const std::vector<ConnectionPair>& pairs,
                                                                          const std::string& baseFolder) {
    std::optional<std::vector<ProviderMapping>> table;
    std::optional<std::vector<std::string>> installed;
    const auto tableOf = [&]() -> const std::vector<ProviderMapping>& {
        if (!table) table = LoadProviderMappings();
        return *table;
    };
    const auto installedOf = [&]() -> const std::vector<std::string>& {
        if (!installed) installed = ListOdbcDrivers();
        return *installed;
    };
    return Translator(tableOf, installedOf, baseFolder).Run(pairs);
}

}  // namespace orvane::data
