// Reading an XML text as a stream of events with the library's conforming
// parser: the reader of the definition and of the print layer's table
// layouts. A text that is not well-formed is refused whole, as the XML
// recommendation requires.
#pragma once

#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// What a streaming reader is told of a text, in document order. A handler
/// that throws stops the reading, which then refuses the text.
class ORVANE_API XmlEvents {
public:
    /// An element starts; atts holds name and value pairs, ended by a null
    /// pointer, valid during the call only.
    virtual void Start(const char* name, const char* const* atts) = 0;
    /// The element last started ends.
    virtual void End() = 0;
    /// The character data between two pieces of markup, unless it is only
    /// white space, or one whole CDATA section.
    virtual void Text(std::string_view text, bool cdata) = 0;
    /// A comment, when the reading keeps them.
    virtual void Comment(const char* /*data*/) {}
    /// A processing instruction, when the reading keeps them.
    virtual void Instruction(const char* /*target*/, const char* /*data*/) {}

    /// While false, character data is not gathered and Text is not called
    /// for it: a reader that has no use for it spares the parser reporting
    /// it. Read after each Start and End.
    bool wantsText = true;

protected:
    ~XmlEvents() = default;
};

/// Reads text, telling events: entities and character references resolved,
/// line ends and attribute values normalised, every text in UTF-8. With
/// decoded the text is characters already and read as UTF-8 whatever its
/// declaration names; otherwise it is a file's bytes, read as its byte-order
/// mark and declaration say. With keepComments comments and processing
/// instructions are told too. False when the text is not well-formed or a
/// handler threw.
ORVANE_API bool ReadXmlEvents(std::string_view text, XmlEvents& events, bool keepComments = false,
                              bool decoded = false);

}  // namespace orvane
