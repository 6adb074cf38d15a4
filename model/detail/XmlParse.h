// The conforming XML reading of the library's readers (definition, table
// layout, resource index): expat checks the text and either hands its events
// to a streaming reader (the definition) or builds a pugixml document from
// them for the readers that walk a DOM; either way every text that is not
// well-formed is refused, as the XML recommendation requires of a conforming
// parser. Kept out of the installed headers.
#pragma once

#include <cstddef>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include <orvanespt/model/XmlEvents.h>
#include <orvanespt/model/detail/CodePages.h>

namespace orvane::detail {

// How the bytes of a text stand for its characters.
struct XmlTextEncoding {
    enum class Form {
        Utf8,  // also US-ASCII, and a text already decoded
        Utf16LE,
        Utf16BE,
        SingleByte  // page gives the bytes 0x80..0xFF
    };
    Form form = Form::Utf8;
    const CodePageHigh* page = nullptr;
};

// Why a text was refused: expat's error code and text, or one of ours, the
// byte offset where it was found and how the text's bytes read.
struct XmlParseError {
    int code = 0;
    std::string description;
    std::size_t offset = 0;
    XmlTextEncoding encoding;
};

// expat's number for running out of memory, and our own refusal past its
// error numbers.
inline constexpr int kXmlErrorNoMemory = 1;
inline constexpr int kXmlErrorTooDeep = 1000;

// Gives each element a nesting count from its tag, its parent's tag and its
// parent's count (0 above the root). An element whose count passes the
// limit refuses the text.
using XmlNestingRule = int (*)(std::string_view tag, std::string_view parentTag, int parentCount);

struct XmlParseOptions {
    // Comments and processing instructions become nodes; otherwise dropped.
    bool keepComments = false;
    XmlNestingRule nesting = nullptr;
    int nestingLimit = 0;
    const char* nestingReason = "";  // the description of a nesting refusal
    // The text is characters already, taken from another XML text: it is read
    // as UTF-8 whatever its declaration names. Otherwise the text is the bytes
    // of a file, read as its byte-order mark and declaration say.
    bool decoded = false;
};

// Parses text, telling events: entities and character references resolved,
// line ends and attribute values normalized, every text in UTF-8. The text is
// read in UTF-8 (with or without a byte-order mark), in UTF-16 (LE or BE, by
// its byte-order mark) or in the 8-bit encoding its declaration names
// (ISO-8859-1 to -16, windows-1250 to -1258, US-ASCII). nullopt on success;
// the error when the text is not well-formed, names an encoding not read here
// or one its byte-order mark contradicts, or a handler failed. Never throws.
std::optional<XmlParseError> ParseXmlEvents(std::string_view text, XmlEvents& events,
                                            const XmlParseOptions& options = {});

// Parses text as ParseXmlEvents does into doc: whitespace-only text nodes
// dropped. nullopt on success; the error when the text is refused (doc then
// holds part of the text). Never throws.
std::optional<XmlParseError> ParseXml(std::string_view text, pugi::xml_document& doc,
                                      const XmlParseOptions& options = {});

// Line (1-based), column (1-based, in characters) and the text of the line
// (in UTF-8, without a byte-order mark) that holds a byte offset of a text in
// the given encoding. A lone CR, a lone LF and CR LF each end a line.
struct XmlSourcePosition {
    std::size_t line = 1;
    std::size_t column = 1;
    std::string lineText;
};
XmlSourcePosition LocateInText(std::string_view text, std::size_t offset, const XmlTextEncoding& encoding = {});

}  // namespace orvane::detail
