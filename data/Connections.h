// Connection strings of report connections and how they are opened. A stored
// string is a plain connection string for the data layer, or one of the
// macros that name its source instead (CnnKind in ResolvedConnection.h says
// which, kinds 1 to 5).
//
// The recognition is exact, case included, and the macro arguments are taken
// by deleting the macro around them, not by parsing, so anything written
// around a macro stays in the argument.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

class Connection;

/// A new connection (client-side cursors) for a stored connection string,
/// opened by its kind. Kinds 1 to 3 go through the connection manager: when
/// it has the application, its string, user and password are given to Open
/// and a failing open is ignored, so the connection may come back closed;
/// without the application it comes back closed and unopened. Raises
/// DataError when the manager is not installed, or when opening a data-link
/// file's string (kind 4) or the string itself (kind 5) fails.
ORVANE_API std::shared_ptr<Connection> OpenAdoConnection(const std::string& text);

/// KindOf as its number, 1 to 5.
ORVANE_API std::int16_t ConnectionKind(const std::string& text);

/// The text without every `@gtCnnManager.ApplicationDb("` and then every `")`.
ORVANE_API std::string ApplicationNameOf(const std::string& text);
/// The text without every `@DataLinkFile("` and then every `")`.
ORVANE_API std::string DataLinkPathOf(const std::string& text);

/// The connection string of a data-link file: its text (UTF-16 with a byte
/// order mark as such files are written, UTF-8, or Latin-1) without the
/// "[oledb]" line and the ";" comment lines, each kept line trimmed of blanks
/// and ended by CR LF. "" when no file is at the path, it cannot be read or
/// it holds more than kMaxDataLinkFileBytes.
ORVANE_API std::string ReadDataLinkFile(const std::string& path);
/// The largest data-link file read (1 MiB).
inline constexpr std::uintmax_t kMaxDataLinkFileBytes = 1 << 20;

/// The lines of text (broken at CR LF, LF or CR), each trimmed of blanks and
/// followed by CR LF, without those that begin with prefix (exact
/// comparison). Empty lines are kept.
ORVANE_API std::string DropLinesStartingWith(const std::string& text, const std::string& prefix);

}  // namespace orvane::data
