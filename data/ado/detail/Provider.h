// The seam between Connection/Command and the database libraries: one
// Provider per open connection. Every method raises DataError with the
// library's own text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/detail/Table.h>
#include <orvanespt/platform/DateTime.h>

struct sqlite3;

namespace orvane::data::detail {

// A failure of a provider that knows its step: binding a value, or reading
// the rows of a result that had begun (msg::kStepBind, msg::kStepRead). Any
// other failure of Execute is one of running the statement. Execute stays
// one call (a database binds, runs and fetches as it likes); the step rides
// on the error instead.
class FailedStep : public DataError {
public:
    FailedStep(const char* at, const std::string& what) : DataError(what), step(at) {}
    const char* step;
};

// A parameter value converted for binding.
struct BoundValue {
    enum class Kind { Null, Int, Double, Text, Bool, Date, Time, Timestamp, Binary, Decimal };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  // Text, Binary; Decimal: its plain text ("-12.50")
    DateTime date;     // Date, Time, Timestamp
};

// The values of a command's parameters in order, as the command holds them.
using BoundValues = std::span<const BoundValue* const>;

// One run of a batch: a statement's text and the values of its parameters.
struct BatchRun {
    const std::string* sql;
    BoundValues params;
};

class Provider {
public:
    virtual ~Provider() = default;
    // Runs a statement with positional parameters. The rows of its result, or
    // null when the statement returns none.
    virtual std::shared_ptr<Table> Execute(const std::string& sql, BoundValues params,
                                           std::size_t rowLimit) = 0;
    // The column names of the statement's first result, without fetching a
    // row where the database allows; empty when it returns none. This one
    // runs the statement: providers that can prepare alone override it.
    virtual std::vector<std::string> ResultColumns(const std::string& sql, BoundValues params);
    // Runs the batch's statements in order as Execute does, appending the
    // rows of each to tables, until the tables hold rowCap rows. Stops
    // without raising at the first run that fails or returns no rows: a
    // walk reading ahead runs those again on its own, and reports there.
    // One loop over the database's calls keeps the database library's code
    // in the processor's cache, where a call per run from the walk evicts it.
    virtual void ExecuteEach(std::span<const BatchRun> runs, std::size_t rowLimit, std::size_t rowCap,
                             std::vector<std::shared_ptr<Table>>& tables);
    // A table name quoted for this database.
    virtual std::string QuoteIdentifier(std::string_view name) const = 0;
    // The statement that calls a stored procedure; raises when there are none.
    virtual std::string ProcedureCall(std::string_view name, std::size_t paramCount) const = 0;
    // The tables (20) or procedures (16) list with ADO's columns.
    virtual std::shared_ptr<Table> Tables(std::size_t rowLimit) = 0;
    virtual std::shared_ptr<Table> Procedures(std::size_t rowLimit) = 0;
    // Keeps (on) or stops keeping (off) one read transaction open between
    // read-only commands; providers that cannot ignore it.
    virtual void HoldReads(bool) {}
    // A number that stays the same only while the database this connection
    // reads is unchanged (no commit of any connection, no write of this
    // one); 0 when the provider cannot tell, which is never to be taken as
    // unchanged. Takes no lock and leaves none.
    virtual std::uint64_t ReadState() { return 0; }
};

// busySeconds: how long a command waits for another connection's lock.
std::unique_ptr<Provider> OpenSqliteProvider(const std::string& path, int busySeconds);
// The SQLite connection behind a provider OpenSqliteProvider made, for tests
// that make its own calls fail; null for any other provider.
sqlite3* SqliteHandle(Provider& provider);
// loginSeconds and querySeconds: ODBC's login and query timeouts.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString, int loginSeconds, int querySeconds);

using data::ConnectionPair;

// Splits "k=v;k={v;v};k='v';k=\"v\"" into its segments, blank ones left out.
std::vector<ConnectionPair> SplitConnectionString(std::string_view s);

// The first segment whose key matches ignoring case; null when none.
const ConnectionPair* FindPair(const std::vector<ConnectionPair>& pairs, std::string_view key);

// The segments as one string, each ended by ";".
std::string JoinConnectionPairs(const std::vector<ConnectionPair>& pairs);

// The segments translated as TranslateConnectionString does with the mapping
// file and this machine's drivers (each consulted only when needed); nullopt
// when the string goes through unchanged. Raises DataError like it.
std::optional<std::vector<ConnectionPair>> TranslatePairs(const std::vector<ConnectionPair>& pairs,
                                                          const std::string& baseFolder);

// v as an ODBC value: braced (a "}" doubled) when it holds ; { } = or
// starts or ends with a blank, as it is otherwise.
std::string BraceValue(const std::string& v);

// What a provider is opened from: the connection string's segments (its
// Provider= one too), the user and password given to Open ("" for none) and
// the seconds opening and each command may take (never 0: no limit is not
// one of them).
struct ProviderRequest {
    const std::vector<ConnectionPair>& pairs;
    const std::string& userId;
    const std::string& password;
    int connectTimeout;
    int commandTimeout;
    // The first segment whose key matches ignoring case; null when none.
    const ConnectionPair* Find(std::string_view key) const;
};

// Opens a provider for a request; raises DataError when it cannot.
using ProviderFactory = std::function<std::unique_ptr<Provider>(const ProviderRequest&)>;

// Registers factory for the connection strings whose Provider= value is name
// (ignoring case); an empty factory removes the registration. Returns the
// factory that name had (empty when none), so a caller can put it back.
// "SQLite" and "MSDASQL" are registered from the start; a string without
// Provider= but with DSN= or Driver= goes to "MSDASQL".
ProviderFactory RegisterProvider(const std::string& name, ProviderFactory factory);

// Column names of the schema lists.
std::vector<std::string> TableSchemaColumns();
std::vector<std::string> ProcedureSchemaColumns();

// Quotes a name with a quote character, doubling that character inside.
std::string QuoteWith(std::string_view name, char quote);

}  // namespace orvane::data::detail
