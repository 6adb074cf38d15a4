// The walk over a report's data as values: what a host that prints sees at
// each step of MoveNext_All, one record per top-level record source not at
// its end, each with every row its children hold after the move. `orvane
// run` prints it and the designer's report preview shows it; both write the
// same JSON form of it:
//
//   STEP   = [RECORD, ...]
//   RECORD = {"source": NAME, "fields": {FIELD: VALUE, ...}, "children": [CHILD, ...]}
//   CHILD  = {"source": NAME, "rows": [ROW, ...]}
//   ROW    = {"fields": {...}, "children": [CHILD, ...]}
//
// VALUE is a JSON number (an exact decimal with every digit), string,
// true/false or null; dates are ISO 8601 text, a time alone "hh:mm:ss[.f]".
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane::data {

struct WalkRow;
/// One child record source's rows under a record, each with its own children.
struct WalkChild {
    std::string source;         ///< the record source's name
    std::vector<WalkRow> rows;  ///< its rows in the order it holds them
};
/// One row: its fields in column order and the rows its children hold for it.
struct WalkRow {
    std::vector<std::pair<std::string, Variant>> fields;  ///< name and value; a field that cannot be read is null
    std::vector<WalkChild> children;                      ///< one entry per child record source
};
/// The current record of one top-level record source at a step.
struct WalkRecord {
    std::string source;  ///< the top-level record source's name
    WalkRow row;         ///< its current record and its children's rows
};
/// One step of the walk: a record per top-level record source not at its end.
using WalkStep = std::vector<WalkRecord>;

/// Calls f with every top-level record source of the report's connections, in order.
ORVANE_API void ForEachTopLevel(const Orvane& rpt, const std::function<void(eRSource&)>& f);

/// The step as the open walk stands. Each child is walked with its own moves
/// (so its children follow each row) and left at its end.
ORVANE_API WalkStep CurrentStep(const Orvane& rpt);

/// Why a top-level record source's step is short of rows.
struct WalkProblem {
    std::string source;  ///< the top-level record source's name
    std::string why;     ///< the child whose move failed and why, as LastOpenError words it
};
/// CurrentStep, adding a problem for each top-level record source where a
/// child's move could not open that child's own children: that child's rows
/// stop at the row that failed.
ORVANE_API WalkStep CurrentStep(const Orvane& rpt, std::vector<WalkProblem>& problems);

/// The step handed to a host piece by piece as the walk goes, so that it
/// builds its own form of it with nothing in between. The calls nest as the
/// JSON form does: Record, then Child for each of its children, each followed
/// by a Row for each of that child's rows (each row followed by its own
/// children), every Record, Child and Row closed by an End.
class ORVANE_API StepVisitor {
public:
    virtual ~StepVisitor();
    /// A top-level record source's current record; its fields are rs's.
    virtual void Record(const std::string& source, const Recordset& rs) = 0;
    /// A child record source of the record or row last begun; rs is null
    /// when it holds no recordset (and so no rows).
    virtual void Child(const std::string& source, const Recordset* rs) = 0;
    /// A row of the child last begun; its fields are rs's.
    virtual void Row(const Recordset& rs) = 0;
    /// Closes the Record, Child or Row last begun.
    virtual void End() = 0;
    /// Moves a child to its next row. When the child has children of its
    /// own, the move queries them again: a host may let go of a lock then.
    virtual bool Move(eRSource& child);
};
/// CurrentStep handed to a visitor instead of built.
ORVANE_API void VisitStep(const Orvane& rpt, StepVisitor& visitor, std::vector<WalkProblem>& problems);
/// A problem as a host shows it: "paso N: origen de registros "NAME": WHY".
ORVANE_API std::string ProblemText(std::size_t step, const std::string& source, const std::string& why);
/// The warning for a top-level record source whose step fell short (a
/// problem of CurrentStep's, or a move that failed), as orvane run prints it
/// and the designer's preview shows it: "aviso: paso 2: origen de registros
/// "Clientes": " and why on one line. step counts from 1.
ORVANE_API std::string StepWarning(std::size_t step, const std::string& source, const std::string& why);

/// The parameters as the walk used them: each one's text (null when it has
/// none), or the array of its list's texts while a list is set. A JSON object.
ORVANE_API std::string ParametersJson(const Orvane& rpt);
/// One step in the JSON form above, on one line.
ORVANE_API std::string StepJson(const WalkStep& step);
/// A JSON string holding text (bytes that are not UTF-8 become U+FFFD).
ORVANE_API std::string JsonText(const std::string& text);
/// A value in the JSON form above.
ORVANE_API std::string JsonValue(const Variant& value);

}  // namespace orvane::data
