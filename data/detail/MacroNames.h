// What the replacement of a text's macros reads, for a walk that compares
// a query's inputs instead of building the query again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane::data::detail {

// Adds to names the parameter name each macro token of text looks up (as
// eRSource::ReplaceMacros does: trimmed, braces left out), skipping field
// references and print macros. False when a token is a system macro (the
// date, the time, the user, the computer), whose replacement depends on
// more than the report's parameters.
bool MacroParameterNames(std::string_view text, std::vector<std::string>& names);

}  // namespace orvane::data::detail
