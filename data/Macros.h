// The macro language of query, filter and sort texts. A macro is "@" and a
// name running to the first delimiter, or "@{text}". Names of the system
// (date, time, user, computer) are replaced here; print macros (page numbers,
// print time) are left for the printing host; field references
// ("source.field") stay in the text; any other name is a report parameter.
//
// The scan is Orvane::GetMacros (model/Orvane.h) and the replacement
// eRSource::ReplaceMacros (model/eRSource.h); both live in Macros.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane {
class Orvane;
}

namespace orvane::data {

/// Longest text ReplaceMacros builds. A replacement that would make the text
/// longer is skipped like any failing step (the token stays): parameter values
/// typed at run time may hold macros of their own, and without a bound a few
/// of them referring to each other double the text at every step.
inline constexpr std::size_t kMaxReplacedMacroText = std::size_t{16} << 20;

/// True for the characters that end a plain macro name: blank { } [ ] + - * /
/// < > = ! ( ) , ; : ? ' & and the double quote. Tab, line breaks, "." and "@"
/// are not delimiters.
ORVANE_API bool IsMacroDelimiter(char c);

/// True for the names of system macros (date, fecha, ...) and print macros
/// (pagenumber, numpagina, ...), trimmed and in any case.
ORVANE_API bool IsReservedMacro(std::string_view name);

/// The macro tokens of text, as Orvane::GetMacros gives them, that
/// ReplaceMacros leaves in the text because they name no parameter of rpt:
/// neither a system or print macro nor a field reference ("source.field").
/// Each token once, in order of appearance.
ORVANE_API std::vector<std::string> UnknownMacros(const Orvane& rpt, const std::string& text);

/// Where the first "@{" that no "}" closes begins (the scan of macros stops
/// there), or npos.
ORVANE_API std::size_t UnclosedMacroAt(const std::string& text);

}  // namespace orvane::data
