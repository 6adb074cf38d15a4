// Text forms of the definition XML: the escaping of attribute values and text
// contents (with CR LF carried as the marker "<p>&nbsp;</p>"), the attribute
// formatter, and the lenient number and truth readings of attribute texts.
#pragma once

#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// The marker that stands for CR LF in the definition XML.
inline constexpr std::string_view kXmlLineBreakMarker = "<p>&nbsp;</p>";

/// Escapes s for an attribute value or a text content: CR LF becomes the
/// marker (itself escaped), the five XML specials, CR, LF and TAB become
/// references, code points 128..255 become "&#NNN;"; higher code points stay
/// as UTF-8. A byte that is not UTF-8 counts as the code point of its value.
/// Never fails.
ORVANE_API std::string EncodeXMLText(std::string_view s);
/// EncodeXMLText(s) appended to out (no temporary when nothing needs escaping).
ORVANE_API void AppendEncodedXMLText(std::string& out, std::string_view s);

/// s with every marker "<p>&nbsp;</p>" replaced by CR LF. Never fails.
ORVANE_API std::string DecodeXMLText(std::string_view s);

/// The bytes of an XML file as UTF-8 text, enough to look at its markup (is
/// there a "<", which root): UTF-16, told by its byte-order mark or by the "<"
/// it begins with, is decoded; a UTF-8 byte-order mark is dropped; any other
/// text is kept as it is, the markup of the 8-bit encodings being ASCII.
ORVANE_API std::string XmlMarkupText(std::string_view bytes);

/// The quoted attribute form of a value: "True"/"False" (with the quotes) for
/// a truth value, otherwise a double quote, the escaped text form and a double
/// quote; a value without a text form (Null, objects) gives the empty quotes.
ORVANE_API std::string AttrValue(const Variant& v);
/// AttrValue of a text value, appended to out.
ORVANE_API void AppendAttrValue(std::string& out, std::string_view text);

/// True when the leading number of s is not zero, or s is "true" or
/// "verdadero" in any case; false otherwise (empty or non-numeric text).
ORVANE_API bool StrToBool(std::string_view s);

/// The leading number of s with every "," read as "."; 0 when there is none.
/// Locale-independent.
ORVANE_API double StrToNum(std::string_view s);

}  // namespace orvane
