// The commands of the command-line host, one function each. They write their
// result to standard output and throw CliError when they fail.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace orvane::cli {

// Prints the definition's tree, one node per line; detailed adds the
// items' main properties (passwords in connection strings as "***").
void Show(const std::string& file, bool detailed);

// Prints the definition XML of the loaded definition, byte for byte except
// that password values in connection strings show as "***".
void Xml(const std::string& file);

// Prints the print table linked to the print-grid control of that name
// (print formats searched before dialogs, names ignoring case): the table,
// then each row and its cells with name, width, caption and source. Throws
// CliError when no control has that name or the control has no table.
void Grid(const std::string& file, const std::string& controlName);

struct PackResource {
    bool picture = false;
    std::string arg;  // NAME=PATH as given on the command line
};

// Writes the package `out` from a definition XML text and the given
// resources, in the order given. An existing `out` is replaced only once
// the new package is complete.
void Pack(const std::string& xmlFile, const std::string& out, const std::vector<PackResource>& resources);

struct ConnectionsOptions {
    std::string file;
    bool open = false;
    std::string format = "text";  // text or json
};

// Prints, per connection of the definition, its name, kind, what it resolves
// to (passwords as "***") and, with open, whether it opened and why not.
// Returns the exit status: 1 when asked to open and one did not, else 0.
int Connections(const ConnectionsOptions& options);
// Adds the "connections" subcommand, filling options when it is parsed.
CLI::App* AddConnectionsCommand(CLI::App& app, ConnectionsOptions& options);

struct CheckOptions {
    std::string file;
    bool open = false;
    std::string format = "text";  // text or json
};

// Exit statuses of check besides 0 (nothing found).
constexpr int kCheckFound = 1;
constexpr int kCheckUnreadable = 2;

// Prints the definition's mistakes, one per line (data::CheckReport), and
// returns the exit status: 0, kCheckFound or kCheckUnreadable.
int Check(const CheckOptions& options);
// Adds the "check" subcommand, filling options when it is parsed.
CLI::App* AddCheckCommand(CLI::App& app, CheckOptions& options);

}  // namespace orvane::cli
