// Connection: connection-string reading, provider choice, schema lists and
// the scrubbing of passwords from error texts.
#include <orvanespt/data/ado/Connection.h>

#include <algorithm>
#include <cctype>

#include <orvanespt/data/ado/OdbcCatalog.h>
#include <orvanespt/data/ado/OleDbMapping.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

using Pair = detail::ConnectionPair;
using detail::BraceValue;
using detail::SplitConnectionString;

// The end of a value quoted or braced from i (a doubled closing character
// stands for one), appending its text to value.
std::size_t ReadQuoted(std::string_view s, std::size_t i, std::string& value) {
    const char close = s[i] == '{' ? '}' : s[i];
    for (++i; i < s.size(); ++i) {
        if (s[i] != close) {
            value += s[i];
        } else if (i + 1 < s.size() && s[i + 1] == close) {
            value += close;
            ++i;
        } else {
            return i + 1;
        }
    }
    return i;
}

using detail::FindPair;

std::unique_ptr<detail::Provider> OpenSqlite(const detail::ProviderRequest& r) {
    const Pair* source = r.Find("data source");
    if (!source) source = r.Find("database");
    if (!source || source->value.empty()) throw DataError(msg::kSqliteNoDataSource);
    return detail::OpenSqliteProvider(source->value, r.commandTimeout);
}

// The MariaDB driver takes no notice of ODBC's login timeout, and would wait
// for ever on a server that accepts and never answers; its own keys bound
// every wait. A data source's driver is the one the driver manager lists.
bool IsMariaDbDriver(const detail::ProviderRequest& r) {
    std::string driver;
    if (const Pair* d = r.Find("driver")) {
        driver = d->value;
    } else if (const Pair* dsn = r.Find("dsn")) {
        for (const auto& source : ListOdbcDataSources())
            if (text::EqualsIgnoreCase(source.Name, dsn->value)) driver = source.Description;
    }
    const std::string name = text::Lower(driver);
    for (const char* mark : {"maria", "mysql", "maodbc", "myodbc"})
        if (name.find(mark) != std::string::npos) return true;
    return false;
}

// The string as written less its Provider= part, with the user and password
// given to Open in place of those it holds: the one place an ODBC string is
// put together.
std::unique_ptr<detail::Provider> OpenOdbc(const detail::ProviderRequest& r) {
    std::string odbc;
    const Pair* provider = r.Find("provider");
    for (const Pair& p : r.pairs) {
        if (&p == provider) continue;
        if (!r.userId.empty() && (text::EqualsIgnoreCase(p.key, "uid") || text::EqualsIgnoreCase(p.key, "user id")))
            continue;
        if (!r.password.empty() && (text::EqualsIgnoreCase(p.key, "pwd") || text::EqualsIgnoreCase(p.key, "password")))
            continue;
        odbc += p.raw + ";";
    }
    if (!r.userId.empty()) odbc += "UID=" + BraceValue(r.userId) + ";";
    if (!r.password.empty()) odbc += "PWD=" + BraceValue(r.password) + ";";
    if (IsMariaDbDriver(r)) {
        // It ignores the query timeout too: a query is bounded by the wait
        // for the server's answer.
        const std::pair<const char*, int> keys[] = {{"CONN_TIMEOUT", r.connectTimeout},
                                                    {"READ_TIMEOUT", r.commandTimeout},
                                                    {"WRITE_TIMEOUT", r.commandTimeout}};
        for (const auto& [key, seconds] : keys)
            if (!r.Find(key)) odbc += std::string(key) + "=" + std::to_string(seconds) + ";";
    }
    return detail::OpenOdbcProvider(odbc, r.connectTimeout, r.commandTimeout);
}

bool IsOdbcString(const std::vector<Pair>& pairs) {
    if (const Pair* provider = FindPair(pairs, "provider"))
        return text::EqualsIgnoreCase(text::TrimWhite(provider->value), "msdasql");
    return FindPair(pairs, "dsn") || FindPair(pairs, "driver");
}

// The seconds a timeout gives: a whole number from 0 to kMaxTimeout, where 0
// is ADO's "no limit" and waits kNoLimitTimeout. Raises for anything else.
int Seconds(const std::string& key, const std::string& value) {
    const std::string_view v = text::TrimWhite(value);
    int n = -1;
    if (!v.empty() && v.size() <= 6 && v.find_first_not_of("0123456789") == std::string_view::npos)
        n = std::stoi(std::string(v));
    if (n < 0 || n > kMaxTimeout) throw DataError(msg::TimeoutInvalid(key, value, kMaxTimeout));
    return n == 0 ? kNoLimitTimeout : n;
}

struct Timeouts {
    int connect = kDefaultConnectTimeout;
    int command = kDefaultCommandTimeout;
};

// The timeouts of a connection string as written, under those the host set.
// In an ODBC string "Timeout" is the driver's own key (a query timeout for
// FreeTDS, milliseconds of lock wait for sqliteodbc) and goes to it as is.
Timeouts TimeoutsOf(const std::vector<Pair>& pairs, std::optional<int> connect, std::optional<int> command) {
    Timeouts t;
    const bool odbc = IsOdbcString(pairs);
    for (const Pair& p : pairs) {
        const std::string key = text::Lower(p.key);
        if (key == "connect timeout" || key == "connection timeout" || (key == "timeout" && !odbc))
            t.connect = Seconds(p.key, p.value);
        else if (key == "command timeout")
            t.command = Seconds(p.key, p.value);
    }
    if (connect) t.connect = Seconds("ConnectionTimeout", std::to_string(*connect));
    if (command) t.command = Seconds("CommandTimeout", std::to_string(*command));
    return t;
}

// Provider names, lower-cased, to their factories.
std::vector<std::pair<std::string, detail::ProviderFactory>>& Registry() {
    static std::vector<std::pair<std::string, detail::ProviderFactory>> registry{{"sqlite", OpenSqlite},
                                                                                  {"msdasql", OpenOdbc}};
    return registry;
}

detail::ProviderFactory FactoryFor(const std::string& name) {
    const std::string key = text::Lower(name);
    for (const auto& [registered, factory] : Registry())
        if (registered == key) return factory;
    return nullptr;
}

}  // namespace

namespace detail {

std::vector<ConnectionPair> SplitConnectionString(std::string_view s) {
    std::vector<ConnectionPair> pairs;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t start = i;
        ConnectionPair p;
        while (i < s.size() && s[i] != '=' && s[i] != ';') ++i;
        p.key = std::string(text::TrimWhite(s.substr(start, i - start)));
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
            if (i < s.size() && (s[i] == '{' || s[i] == '"' || s[i] == '\'')) i = ReadQuoted(s, i, p.value);
            const std::size_t rest = i;
            while (i < s.size() && s[i] != ';') ++i;
            p.value += std::string(text::TrimWhite(s.substr(rest, i - rest)));
        }
        p.raw = std::string(s.substr(start, i - start));
        if (i < s.size()) ++i;  // the ';'
        if (!text::TrimWhite(p.raw).empty()) pairs.push_back(std::move(p));
    }
    return pairs;
}

// Braces only when the value needs them: some drivers (psqlODBC for UID)
// take the braces as part of the value.
std::string BraceValue(const std::string& v) {
    const bool needs =
        v.find_first_of(";{}=") != std::string::npos || (!v.empty() && (v.front() == ' ' || v.back() == ' '));
    if (!needs) return v;
    return text::Concat({"{", text::ReplaceAll(v, "}", "}}"), "}"});
}

const ConnectionPair* FindPair(const std::vector<ConnectionPair>& pairs, std::string_view key) {
    for (const ConnectionPair& p : pairs)
        if (text::EqualsIgnoreCase(p.key, key)) return &p;
    return nullptr;
}

std::string JoinConnectionPairs(const std::vector<ConnectionPair>& pairs) {
    std::string out;
    for (const ConnectionPair& p : pairs) {
        out += p.raw;
        out += ';';
    }
    return out;
}

const ConnectionPair* ProviderRequest::Find(std::string_view key) const {
    return FindPair(pairs, key);
}

ProviderFactory RegisterProvider(const std::string& name, ProviderFactory factory) {
    auto& registry = Registry();
    const std::string key = text::Lower(name);
    auto it = std::find_if(registry.begin(), registry.end(), [&](const auto& e) { return e.first == key; });
    ProviderFactory previous = it == registry.end() ? nullptr : it->second;
    if (it != registry.end()) registry.erase(it);
    if (factory) registry.emplace_back(key, std::move(factory));
    return previous;
}

}  // namespace detail

Connection::Connection() = default;
Connection::~Connection() {
    if (self_) *self_ = nullptr;
}

void Connection::Fail(const std::string& text) {
    lastError_ = ScrubPasswords(text, secrets_);
    throw DataError(lastError_);
}

void Connection::Fail(const std::string& text, std::optional<std::chrono::steady_clock::time_point> start) {
    if (start && std::chrono::steady_clock::now() - *start >= std::chrono::seconds(commandTimeout_))
        Fail(msg::TimedOut(commandTimeout_, "Command Timeout") + text);
    Fail(text);
}

detail::Provider& Connection::RequireProvider() {
    if (!provider_) Fail(msg::kConnectionClosed);
    return *provider_;
}

int Connection::State() const {
    return provider_ ? kStateOpen : kStateClosed;
}

std::shared_ptr<void> Connection::HoldReads() {
    if (!provider_) return nullptr;
    provider_->HoldReads(true);
    if (auto token = hold_.lock()) return token;
    if (!self_) self_ = std::make_shared<Connection*>(this);
    // The last copy of the token gone, nobody wants the hold any more. It
    // points at the cell only to be non-null: lock() of a null one is false.
    std::shared_ptr<void> token(static_cast<void*>(self_.get()), [self = self_](void*) {
        if (*self) (*self)->ReleaseReads();
    });
    hold_ = token;
    return token;
}

void Connection::ReleaseReads() {
    if (provider_) provider_->HoldReads(false);
}

void Connection::HoldStepReads() {
    if (provider_) provider_->HoldReads(true);
}

void Connection::EndStepReads() {
    if (provider_ && hold_.expired()) provider_->HoldReads(false);
}

std::uint64_t Connection::ReadState() {
    return provider_ ? provider_->ReadState() : 0;
}

void Connection::Close() {
    provider_.reset();
}

void Connection::Open() {
    OpenWith(ConnectionString, "", "");
}

void Connection::Open(const std::string& connectionString, const std::string& userId, const std::string& password) {
    if (!connectionString.empty()) ConnectionString = connectionString;
    OpenWith(ConnectionString, userId, password);
}

void Connection::OpenWith(const std::string& written, const std::string& userId, const std::string& password) {
    Open(ResolveConnectionText(written, BaseFolder, userId, password));
}

void Connection::Open(const ResolvedConnection& resolved) {
    secrets_.clear();
    if (!resolved.Password.empty()) secrets_.push_back(resolved.Password);
    for (const Pair& p : resolved.WrittenPairs)
        if (text::Lower(p.key).ends_with("password") || text::EqualsIgnoreCase(p.key, "pwd"))
            if (!p.value.empty()) secrets_.push_back(p.value);
    if (provider_) Fail(msg::kConnectionOpen);
    ConnectionString = resolved.Written;
    BaseFolder = resolved.Folder;
    if (text::TrimWhite(resolved.Written).empty()) Fail(msg::kConnectionStringEmpty);
    Timeouts timeouts;
    try {
        timeouts = TimeoutsOf(resolved.WrittenPairs, ConnectionTimeout, CommandTimeout);
    } catch (const DataError& e) {
        Fail(e.what());
    }
    if (!resolved.Problem.empty()) Fail(resolved.Problem);
    const std::string& name = resolved.Driver;
    const detail::ProviderFactory factory = FactoryFor(name);
    if (!factory && FindPair(resolved.Attributes, "provider"))
        Fail(msg::ProviderNotSupported(name, ProviderMappingPath()));
    if (!factory) Fail(msg::kNoProvider);
    try {
        provider_ = factory(detail::ProviderRequest{resolved.Attributes, resolved.User, resolved.Password,
                                                    timeouts.connect, timeouts.command});
        commandTimeout_ = timeouts.command;
        if (!provider_) Fail(msg::ProviderOpenedNothing(name));
    } catch (const DataError& e) {
        provider_.reset();
        Fail(e.what());
    }
    lastError_.clear();
}

std::shared_ptr<Recordset> Connection::OpenSchema(int schema) {
    detail::Provider& p = RequireProvider();
    if (schema != kSchemaTables && schema != kSchemaProcedures) Fail(msg::SchemaNotSupported(schema));
    try {
        auto table = schema == kSchemaTables ? p.Tables(RowLimit) : p.Procedures(RowLimit);
        return std::make_shared<Recordset>(std::move(table));
    } catch (const DataError& e) {
        Fail(e.what());
    }
}

}  // namespace orvane::data
