// orvane's argument parsing in Spanish: the help's labels and the texts of
// the parser's errors, which the parser itself writes in English.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace orvane::cli {

// Gives the program the Spanish help: labels, group names and the help
// flag's text. Call before adding any subcommand or option.
void UseSpanishHelp(CLI::App& app);

// Names the group of every subcommand's options as the program's own.
void FinishSpanishHelp(CLI::App& app);

// The Spanish text of a parse error, naming the argument or value at fault.
std::string ArgumentErrorText(const CLI::ParseError& e);

}  // namespace orvane::cli
