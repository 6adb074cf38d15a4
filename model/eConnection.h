// eConnection: a named database connection of a report and the tree of
// record sources that run on it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>

namespace orvane {

class eConnection : public std::enable_shared_from_this<eConnection> {
public:
    eConnection();

    std::weak_ptr<Orvane> RPTParent;  // owning report; non-owning
    std::string Name;
    std::string cnnString;  // connection string, possibly a macro
    bool Internal = false;  // carried for the host
    std::shared_ptr<data::Connection> ADOCnn;  // open connection at run time
    // Run time: when set, the seconds opening (ConnectionTimeout) and each
    // command (CommandTimeout) may take, over what the connection string says
    // (data::Connection has the rules). Never persisted.
    std::optional<int> ConnectionTimeout, CommandTimeout;
    std::shared_ptr<Collection<eRSource>> eRSources;

    // First direct record source with that name (case-insensitive), or null.
    std::shared_ptr<eRSource> GeteRSource(const std::string& Name) const;
    // Removes the first direct record source with that name; nothing when none.
    void DelRSource(const std::string& Name);

    // Run time (data/Connections.cpp). Opens a new connection for cnnString
    // into ADOCnn. False when the connection manager is not installed or has
    // no such application, the data-link file is missing, or the provider
    // refuses the string; LastOpenError then says why. Never raises.
    bool OpenConnection();

    // Why the last OpenConnection returned false; "" after a success. Never
    // holds a password.
    std::string LastOpenError;
};

}  // namespace orvane
