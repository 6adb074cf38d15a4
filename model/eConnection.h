// eConnection: a named database connection of a report and the tree of
// record sources that run on it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// A named database connection of a report and the tree of record sources
/// that run on it.
class ORVANE_API eConnection : public std::enable_shared_from_this<eConnection> {
public:
    eConnection();

    std::weak_ptr<Orvane> RPTParent;  ///< owning report; non-owning
    std::string Name;       ///< the connection's name in the report
    std::string cnnString;  ///< connection string, possibly a macro
    bool Internal = false;  ///< carried for the host
    std::shared_ptr<data::Connection> ADOCnn;  ///< open connection at run time
    /// Run time: when set, the seconds opening (ConnectionTimeout) and each
    /// command (CommandTimeout) may take, over what the connection string says
    /// (data::Connection has the rules). Never persisted.
    ///@{
    std::optional<int> ConnectionTimeout, CommandTimeout;
    ///@}
    std::shared_ptr<Collection<eRSource>> eRSources;  ///< the top-level record sources run on it

    /// First direct record source with that name (case-insensitive), or
    /// null; const on a const connection.
    ///@{
    std::shared_ptr<eRSource> GeteRSource(const std::string& Name);
    std::shared_ptr<const eRSource> GeteRSource(const std::string& Name) const;
    ///@}
    /// Removes the first direct record source with that name; nothing when none.
    void DelRSource(const std::string& Name);
    /// Appends rs and makes this connection the one rs and every record
    /// source under it without a connection run on (eCnn). False, nothing
    /// changed, when rs is null or a direct record source of that name exists.
    /// The connection must be owned by a std::shared_ptr.
    bool AddRSource(const std::shared_ptr<eRSource>& rs);

    /// Run time (data/Connections.cpp). Opens a new connection for cnnString
    /// into ADOCnn. False when the connection manager is not installed or has
    /// no such application, the data-link file is missing, or the provider
    /// refuses the string; LastOpenError then says why. Never raises.
    bool OpenConnection();

    /// Why the last OpenConnection returned false; "" after a success. Never
    /// holds a password.
    std::string LastOpenError;
};

}  // namespace orvane
