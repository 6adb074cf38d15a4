// Following a rename through the definition: the macros of the record
// sources' query, filter and sort texts, the SendParameters lists and the
// idParameterLinked settings that name a parameter, and the field macros
// ("@Source.Field") that name a record source.
#pragma once

#include <string>

#include <orvanespt/model/Orvane.h>

namespace orvane::designer {

// How many references a rename changes, by kind.
struct ReferenceCount {
    int macros = 0;  // macro tokens in query, filter and sort texts
    int sent = 0;    // SendParameters entries
    int linked = 0;  // idParameterLinked settings
    int Total() const { return macros + sent + linked; }
};

// text with every whole macro token naming parameter from (plain "@from" or
// braced "@{from}", names compared as the report does: trimmed, in any case)
// naming to instead; a plain token becomes braced when to holds a character
// that ends a plain name. count grows by the tokens changed. Field
// references, system macros and longer names are left alone.
std::string RenameParameterMacros(const std::string& text, const std::string& from, const std::string& to, int& count);
// The same for the field references "@from.Field" and "@{from.Field}" of a
// record source.
std::string RenameRSourceMacros(const std::string& text, const std::string& from, const std::string& to, int& count);

// Counts the references to parameter from in every record source of rpt,
// and, when apply, makes them name to. Never fails.
ReferenceCount RenameParameterReferences(Orvane& rpt, const std::string& from, const std::string& to, bool apply);
// The same for the field macros of record source from.
ReferenceCount RenameRSourceReferences(Orvane& rpt, const std::string& from, const std::string& to, bool apply);

// The question that offers the rename, in Spanish, with the number of
// references of each kind; "" when count is empty.
std::string RenameQuestion(const ReferenceCount& count, const std::string& from, const std::string& to);

}  // namespace orvane::designer
