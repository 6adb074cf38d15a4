// The help routine behind every designer dialog's help button.
#pragma once

#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// The help index page. It stands where a compiled help file would: looked for
/// first beside the library's own file, then in the runtime help folder.
inline constexpr std::string_view kHelpFileName = "orvane.html";

/// Opens the help at the topic of contextId (the index when it is less than 1)
/// through the installed help viewer. When no help file is found it shows
/// "No se encontró el archivo de ayuda" with the critical-stop icon. owner is
/// the host's window handle; the viewers of this library do not need it.
ORVANE_API void ShowHelp(const void* owner, int contextId);

}  // namespace orvane
