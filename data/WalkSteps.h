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

#include "model/Orvane.h"
#include "platform/Variant.h"

namespace orvane::data {

struct WalkRow;
struct WalkChild {
    std::string source;
    std::vector<WalkRow> rows;
};
struct WalkRow {
    std::vector<std::pair<std::string, Variant>> fields;  // a field that cannot be read is null
    std::vector<WalkChild> children;
};
struct WalkRecord {
    std::string source;
    WalkRow row;
};
using WalkStep = std::vector<WalkRecord>;

// Calls f with every top-level record source of the report's connections, in order.
void ForEachTopLevel(const Orvane& rpt, const std::function<void(eRSource&)>& f);

// The step as the open walk stands. Each child is walked with its own moves
// (so its children follow each row) and left at its end.
WalkStep CurrentStep(const Orvane& rpt);

// The parameters as the walk used them: each one's text (null when it has
// none), or the array of its list's texts while a list is set. A JSON object.
std::string ParametersJson(const Orvane& rpt);
// One step in the JSON form above, on one line.
std::string StepJson(const WalkStep& step);
// A JSON string holding text (bytes that are not UTF-8 become U+FFFD).
std::string JsonText(const std::string& text);
// A value in the JSON form above.
std::string JsonValue(const Variant& value);

}  // namespace orvane::data
