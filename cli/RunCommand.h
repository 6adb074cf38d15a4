// orvane run: opens a report's data as a host would before printing, and
// prints every step of the walk over its top-level record sources, with each
// child's rows as they stand at that step.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {

struct RunOptions {
    std::string file;
    std::vector<std::string> parameters;   // NAME=VALUE
    std::vector<std::string> connections;  // NAME=CONNECTION-STRING
    std::string format = "text";           // text or json
    std::optional<std::size_t> limit;      // most steps printed
    bool requery = false;                  // every child re-queried on every move (no ReuseRows)
    std::optional<int> timeout;            // seconds to open and per command, over the connection strings'
    bool sql = false;                      // each statement and its bound values on standard error before it runs
};

// Adds the "run" subcommand, filling options when it is parsed.
CLI::App* AddRunCommand(CLI::App& app, RunOptions& options);

// Loads the definition, sets its parameters, opens its connections and
// top-level record sources and prints the walk to standard output. Throws
// CliError naming the parameter, connection or record source that failed,
// with the provider's reason (never a password).
void RunReport(const RunOptions& options);

}  // namespace orvane::cli
