// Small text helpers shared by every layer: blank trimming, case folding and
// case-insensitive comparison of UTF-8 names, UTF-8 code point walking.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::text {

/// Removes leading and trailing blanks (spaces only, as names are trimmed).
ORVANE_API std::string_view TrimBlanks(std::string_view s);
/// Removes leading and trailing spaces, tabs, CR and LF.
ORVANE_API std::string_view TrimWhite(std::string_view s);

// Case folding, the one set every layer uses. Two folds, both keeping byte
// lengths so that folded texts compare byte by byte:
// - ASCII: the letters A..Z only (names of entries, tokens, XML names);
// - Latin-1: also the capitals U+00C0..U+00DE but U+00D7, which UTF-8 writes
//   as C3 80..C3 9E and whose lower-case forms are C3 A0..C3 BE (names of
//   definition items, field values).
namespace detail {
constexpr std::array<unsigned char, 256> FoldTable(bool afterC3) {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        const bool capital = afterC3 ? (i >= 0x80 && i <= 0x9E && i != 0x97) : (i >= 'A' && i <= 'Z');
        t[i] = static_cast<unsigned char>(capital ? i + 0x20 : i);
    }
    return t;
}
inline constexpr std::array<unsigned char, 256> kFoldAscii = FoldTable(false);
inline constexpr std::array<unsigned char, 256> kFoldAfterC3 = FoldTable(true);
}  // namespace detail

/// c with the ASCII fold (A..Z to a..z); every other byte unchanged.
constexpr char FoldAscii(char c) {
    return static_cast<char>(detail::kFoldAscii[static_cast<unsigned char>(c)]);
}
/// The Latin-1 fold of byte c of a text whose previous byte is prev (0 at the
/// start).
constexpr unsigned char FoldLatin1(unsigned char prev, unsigned char c) {
    return prev == 0xC3 ? detail::kFoldAfterC3[c] : detail::kFoldAscii[c];
}

/// s with the ASCII fold, and its reverse (a..z to A..Z).
///@{
ORVANE_API std::string LowerAscii(std::string_view s);
ORVANE_API std::string UpperAscii(std::string_view s);
ORVANE_API bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);
///@}

/// s with the Latin-1 fold.
ORVANE_API std::string Lower(std::string_view s);
/// Lower(a) == Lower(b).
ORVANE_API bool EqualsIgnoreCase(std::string_view a, std::string_view b);
/// Lower(a) compared with Lower(b) byte by byte: -1, 0 or 1.
ORVANE_API int CompareIgnoreCase(std::string_view a, std::string_view b);

/// The pieces one after the other. Use it for a text literal before a string
/// ("'" + s): g++ 12 at -O3 warns falsely (-Wrestrict) on that operator+.
ORVANE_API std::string Concat(std::initializer_list<std::string_view> pieces);

/// Replaces every occurrence of what (non-empty) by with, in one pass.
ORVANE_API std::string ReplaceAll(std::string_view s, std::string_view what, std::string_view with);
/// The text on one line: each run of line breaks (CR, LF) becomes "; ",
/// except at the start, where it is dropped.
ORVANE_API std::string OneLine(std::string_view text);

/// Splits at every occurrence of sep (non-empty); always at least one piece.
ORVANE_API std::vector<std::string> Split(std::string_view s, std::string_view sep);

/// Decodes UTF-8 to code points; a malformed byte becomes its own value
/// (0x80..0xFF), so any byte string decodes and nothing is lost.
ORVANE_API std::vector<char32_t> DecodeUtf8(std::string_view s);
/// Appends the UTF-8 form of a code point.
///@{
ORVANE_API void AppendUtf8(std::string& out, char32_t cp);
ORVANE_API std::string EncodeUtf8(const std::vector<char32_t>& cps);
///@}
/// UTF-16 code units, two bytes each in the given order, to UTF-8; an unpaired
/// surrogate becomes U+FFFD and a last odd byte is dropped.
ORVANE_API std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace orvane::text
