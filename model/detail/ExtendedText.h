// The extended-property string of a control appended to a caller's buffer,
// so the definition writer builds it without a string per control.
#pragma once

#include <string>

#include <orvanespt/model/eControl.h>

namespace orvane::detail {

// Appends what eControl::Extended() returns. Never fails.
void AppendExtended(std::string& out, const eControl& c);

}  // namespace orvane::detail
