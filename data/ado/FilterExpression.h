// Reader of the recordset filter and sort texts (ADO syntax). It turns a text
// into a small tree or key list and knows nothing of rows; the recordset
// compiles the result against its columns.
//
// Filter grammar: clauses `Field Operator Value` joined by AND / OR, grouped
// with parentheses. Decisions where ADO leaves things open:
//  - keywords (AND, OR, LIKE, NULL, TRUE, FALSE, ASC, DESC) in any case;
//  - AND binds tighter than OR, as in SQL: "A OR B AND C" is "A OR (B AND C)";
//  - "(A OR B) AND C" is accepted and means what it says (ADO refuses it);
//  - values: 'text' ('' for a quote), #m/d/yyyy [h:mm[:ss] [AM|PM]]#,
//    #yyyy-mm-dd [hh:mm[:ss]]#, numbers with sign, decimal point, leading $ and
//    exponent, TRUE / FALSE, and NULL with = or <> only (is / is not null);
//  - field names are bare words or [bracketed]; an empty text means no filter.
// Nesting of parentheses is limited to kMaxFilterNesting levels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// Deepest parenthesis nesting a filter may use; deeper texts are refused.
constexpr int kMaxFilterNesting = 64;

/// The comparison of a filter clause: =, <>, <, >, <=, >= and LIKE.
enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge, Like };

/// The value a filter clause compares with.
struct ORVANE_API FilterValue {
    /// The kinds of value a filter text writes.
    enum class Kind { Null, Number, Text, Date, Bool };
    Kind kind = Kind::Null;  ///< which of the members below holds the value
    double number = 0;         ///< Number
    bool isInteger = false;    ///< Number written without point or exponent
    std::int64_t integer = 0;  ///< Number, when isInteger
    std::string text;          ///< Text; for a Number the digits as written
    DateTime date;             ///< Date
    bool truth = false;        ///< Bool
};

/// A parsed filter: a comparison, or an AND or OR of filters.
struct ORVANE_API FilterNode {
    /// A comparison, or the AND or OR of the children.
    enum class Kind { Compare, And, Or };
    Kind kind = Kind::Compare;  ///< what the node is
    std::string field;                 ///< Compare
    CompareOp op = CompareOp::Eq;      ///< Compare
    FilterValue value;                 ///< Compare
    std::vector<FilterNode> children;  ///< And / Or, two or more
};

/// Parses a filter text. Null for a text of blanks only; raises ExpressionError
/// with the position and reason for anything malformed.
ORVANE_API std::unique_ptr<FilterNode> ParseFilter(std::string_view text);

/// One key of a parsed sort text.
struct ORVANE_API SortKey {
    std::string field;        ///< the field name as written
    bool descending = false;  ///< DESC was written
};

/// Parses a sort text: field names separated by commas, each optionally
/// followed by ASC or DESC. Empty for a text of blanks only; raises
/// ExpressionError for anything else malformed.
ORVANE_API std::vector<SortKey> ParseSort(std::string_view text);

}  // namespace orvane::data
