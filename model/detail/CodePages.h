// The single-byte code pages the XML readers decode beside expat's own
// encodings (UTF-8, UTF-16, ISO-8859-1, US-ASCII): windows-1250 to
// windows-1258 and ISO-8859-1 to ISO-8859-16, the 8-bit encodings Windows and
// Linux tools write. Their lower halves are ASCII.
// The tables are generated once from glibc's iconv by scripts/gen-codepages.sh
// and committed, rather than asked of iconv at run time: reading then needs no
// gconv module (nor trusts GCONV_PATH), opens no converter per text, and gives
// the same result on every machine.
#pragma once

#include <array>
#include <string_view>

namespace orvane::detail {

// The code points of bytes 0x80..0xFF of a code page; 0 where it defines none.
using CodePageHigh = std::array<char16_t, 128>;

// The code page an encoding name stands for, ignoring case, "-", "_" and
// blanks: "windows-1252", "cp1252", "ISO-8859-15", "iso8859_15", "latin9".
// Null for any other name.
const CodePageHigh* FindCodePage(std::string_view name);

}  // namespace orvane::detail
