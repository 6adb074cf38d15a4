// Keeping passwords out of texts shown to people: error messages, logs and
// printed definitions.
#pragma once

#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The text with the value of every PWD= and Password= setting (keys in any
/// case, blanks allowed around "=") and every given secret that stands as a
/// whole token (not inside a longer word) replaced by "***". A value may be
/// braced ({a;b}} c}), quoted with " or ' (doubled quotes inside), or quoted
/// with &quot; / &apos; as in XML text; otherwise it runs to the next ';',
/// '"', line break or the end. Never fails.
ORVANE_API std::string ScrubPasswords(const std::string& text, const std::vector<std::string>& secrets = {});

}  // namespace orvane::platform
