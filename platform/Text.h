// Small text helpers shared by every layer: blank trimming, lower-casing and
// case-insensitive comparison of UTF-8 names, UTF-8 code point walking.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::text {

// Removes leading and trailing blanks (spaces only, as names are trimmed).
std::string_view TrimBlanks(std::string_view s);
// Removes leading and trailing spaces, tabs, CR and LF.
std::string_view TrimWhite(std::string_view s);

// Lower-cases ASCII and Latin-1 letters (À..Þ), leaving everything else.
std::string Lower(std::string_view s);
// Lower(a) == Lower(b).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Replaces every occurrence of what (non-empty) by with, in one pass.
std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with);

// Splits at every occurrence of sep (non-empty); always at least one piece.
std::vector<std::string> Split(std::string_view s, std::string_view sep);

// Decodes UTF-8 to code points; a malformed byte becomes its own value
// (0x80..0xFF), so any byte string decodes and nothing is lost.
std::vector<char32_t> DecodeUtf8(std::string_view s);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);
std::string EncodeUtf8(const std::vector<char32_t>& cps);

}  // namespace orvane::text
