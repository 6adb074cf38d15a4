// Connection: an open database session reached through a connection string.
//
// Providers: "Provider=SQLite;Data Source=PATH" (or ":memory:") opens an
// existing SQLite database file natively (a missing file is an error, not a
// new database). A string with Provider=MSDASQL, DSN= or Driver= goes to
// ODBC (unixODBC) with the Provider part removed; the user and password given
// to Open are added as UID and PWD. OLE DB providers of other databases are
// translated for their ODBC drivers first (OleDbMapping.h); any other
// provider is refused.
// Error texts, LastError included, never hold a password: PWD= and
// Password= values and the password given to Open are replaced by "***".
//
// Nothing waits forever. Opening may take ConnectionTimeout seconds and each
// command CommandTimeout; unset, they come from the string's Connect Timeout
// (also written Connection Timeout, and Timeout outside ODBC strings, where
// Timeout is the driver's own key) and Command Timeout, else from the
// defaults below. ODBC drivers get them as login and query timeouts (the
// MariaDB driver also as its CONN_TIMEOUT, READ_TIMEOUT and WRITE_TIMEOUT
// keys); SQLite waits at most CommandTimeout for another connection's lock.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Secrets.h>

namespace orvane::data {

namespace detail {
class Provider;
}

/// Decision: ADO's defaults, 15 s to open and 30 s per command, which users
/// of existing reports already live with.
///@{
constexpr int kDefaultConnectTimeout = 15;
constexpr int kDefaultCommandTimeout = 30;
///@}
/// ADO's 0, "no limit", waits an hour at most; no timeout may pass a day.
///@{
constexpr int kNoLimitTimeout = 3600;
constexpr int kMaxTimeout = 86400;
///@}

/// Where a connection's recordsets keep their rows: ADO's client-side
/// cursor, the only kind there is here.
constexpr int kUseClient = 3;

/// Schema list kinds of OpenSchema.
///@{
constexpr int kSchemaProcedures = 16;
constexpr int kSchemaTables = 20;
///@}

/// An open database session reached through a connection string: SQLite
/// natively, everything else through ODBC.
class ORVANE_API Connection {
public:
    /// A closed connection.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int CursorLocation = kUseClient;          ///< kept for callers; every recordset is client-side
    std::string ConnectionString;             ///< used by Open()
    std::size_t RowLimit = kDefaultRowLimit;  ///< most rows a result may hold in memory
    std::string BaseFolder;                   ///< looked in first for relative file paths; "" for none
    std::optional<int> ConnectionTimeout;     ///< seconds opening may take, over the string's; 0 as ADO's "no limit"
    std::optional<int> CommandTimeout;        ///< seconds each command may take, over the string's; 0 likewise
    /// When set, called with each statement just before it is sent (the text
    /// as sent, a table or procedure command as the call built for it) and
    /// the name and the value as bound (converted for its type) of each
    /// parameter, in the order of its marks.
    /// For hosts that show what runs; it must not throw.
    std::function<void(const std::string& statement, const std::vector<std::pair<std::string, Variant>>& values)> Trace;

    /// Opens with ConnectionString. Raises DataError when the string is empty,
    /// names an unknown provider, gives a timeout that is not a whole number
    /// of seconds from 0 to kMaxTimeout, the provider refuses it or does not
    /// answer in time, or the connection is already open.
    void Open();
    /// Sets ConnectionString (when not empty) and opens, adding the user and
    /// password (when not empty). Raises like Open().
    void Open(const std::string& connectionString, const std::string& userId, const std::string& password);
    /// Opens what a stored string was worked out to (ResolveConnection):
    /// sets ConnectionString to its Written and BaseFolder to its Folder, and
    /// gives its user and password. Raises like Open(), and with its Problem
    /// when it has one.
    void Open(const ResolvedConnection& resolved);
    /// kStateOpen or kStateClosed.
    int State() const;
    /// Closes; closing a closed connection does nothing.
    void Close();
    /// The tables (kSchemaTables) or procedures (kSchemaProcedures) list.
    /// Raises DataError when closed or for another schema kind.
    std::shared_ptr<Recordset> OpenSchema(int schema);
    /// One step of a walk is about to run several small read-only commands:
    /// the provider may keep one read transaction open between them instead
    /// of taking and dropping the database's lock for each (SQLite does; the
    /// commands then see one state of the database). The hold lasts while
    /// any copy of the returned token lives (a walk lets it go when its step
    /// ends) and ends earlier on ReleaseReads or Close; a command of this
    /// connection that writes lets it go first and later reads take it
    /// again. While it lasts, writers of other connections wait as for any
    /// open reader (in WAL mode they do not). Null when closed; providers
    /// that cannot hold ignore it.
    std::shared_ptr<void> HoldReads();
    /// Ends the hold now, whoever keeps its token. Does nothing without one.
    void ReleaseReads();
    /// HoldReads for the length of one step of a walk, without a token (a
    /// step is a call of the library's own, and a token costs an
    /// allocation).
    ORVANE_LOCAL void HoldStepReads();
    /// Ends the hold HoldStepReads began, unless a token of HoldReads lives.
    ORVANE_LOCAL void EndStepReads();
    /// A number that changes whenever the database this connection reads may
    /// have changed (a commit of another connection or process, a write of
    /// its own, the connection opened again), so results read under one value
    /// are still current under the same value. Asking takes no lock. 0 means
    /// unknown (closed, databases attached, a provider that cannot tell:
    /// ODBC): anything read before must be read again.
    std::uint64_t ReadState();
    /// The text of the last failure of this connection or of a command run on
    /// it; "" when nothing failed yet.
    const std::string& LastError() const { return lastError_; }

private:
    friend class Command;
    detail::Provider& RequireProvider();
    /// Stores the scrubbed text as LastError and raises it.
    [[noreturn]] void Fail(const std::string& text);
    /// The same for a command that began at start: when it took its whole
    /// timeout (a driver may only say the connection was lost), the text says
    /// so first.
    [[noreturn]] void Fail(const std::string& text, std::optional<std::chrono::steady_clock::time_point> start);
    void OpenWith(const std::string& connectionString, const std::string& userId, const std::string& password);

    std::unique_ptr<detail::Provider> provider_;
    /// This connection while it lives, for tokens of HoldReads that outlive it.
    std::shared_ptr<Connection*> self_;
    std::weak_ptr<void> hold_;  ///< the token HoldReads gave, while kept
    std::string lastError_;
    std::vector<std::string> secrets_;
    int commandTimeout_ = kDefaultCommandTimeout;  ///< the one in force since Open
};

/// Replaces the values of PWD= and Password= and every given secret by "***".
using platform::ScrubPasswords;

}  // namespace orvane::data
