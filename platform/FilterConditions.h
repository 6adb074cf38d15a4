// The filter-expression parser of the filter designer. It cuts a record
// source's filter text (clauses `Field Operator Value` joined by AND / OR,
// in ADO's syntax) into the flat list of conditions the designer edits, cuts
// one listed condition back into its field, operator, value and union word,
// and composes both back. It only cuts text: field names and values are not
// checked (the recordset does that when the filter is applied).
//
// A filter it cannot split is listed whole, as one entry the combos never rewrite, so it comes back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// One clause of a filter text and the word that joins it to the next.
struct ORVANE_API FilterCondition {
    std::string Expresion;      ///< the clause as written, without surrounding blanks
    std::string UnionOperator;  ///< "AND" or "OR" after it; "AND" for a last clause without one
};

/// The clauses of a filter text in order, each with the union word that
/// follows it (in capitals, whatever case it was written in). nullopt for a
/// blank text and for one it cannot split: parentheses, a clause without
/// exactly one operator, an unclosed quote, bracket or `#date#`, or a missing
/// clause before or between union words.
ORVANE_API std::optional<std::vector<FilterCondition>> SplitFilter(std::string_view text);

/// A filter clause split into its field, operator and value.
struct ORVANE_API ConditionParts {
    std::string Field;     ///< as written (brackets kept), without surrounding blanks; may be ""
    std::string Operator;  ///< "=", "<", ">", "<=", ">=", "<>" or LIKE as written
    std::string Value;     ///< as written (quotes and # kept), blanks inside kept; may be ""
    std::string Union;     ///< the trailing AND / OR as written; "" when there is none
};

/// One condition entry cut into its parts. nullopt when it is not a single
/// clause (see the header note).
ORVANE_API std::optional<ConditionParts> SplitCondition(std::string_view entry);

/// The entry for four texts: each trimmed of blanks, joined by one blank.
ORVANE_API std::string ComposeCondition(std::string_view field, std::string_view op, std::string_view value,
                             std::string_view unionWord);

/// The filter text of a list of entries: each followed by one blank, the last
/// one first losing a trailing union word "AND" or "OR" (exactly in capitals,
/// after a blank) but not that blank. An earlier entry that does not end in a
/// union word is joined to the next by AND. "" for no entries.
ORVANE_API std::string ComposeFilter(const std::vector<std::string>& entries);

}  // namespace orvane::platform
