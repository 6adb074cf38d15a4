// The table layout reader with the text's kind given: the definition reader
// hands over a layout it took from an attribute, characters already, whose
// declaration no longer says how they are stored.
#pragma once

#include <string>

#include <orvanespt/print/ePrnTable.h>

namespace orvane::detail {

// ePrnTable::LoadFromXML; with decoded, the text is read as UTF-8 whatever
// its declaration names.
bool ReadTableText(ePrnTable& table, const std::string& text, bool decoded);

}  // namespace orvane::detail
