// Builds a pugixml document from expat's events.
#include "model/detail/XmlParse.h"

#include <expat.h>

#include <algorithm>
#include <vector>

#include "platform/Text.h"

namespace orvane {
namespace {

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class DomBuilder {
public:
    DomBuilder(pugi::xml_document& doc, const XmlParseOptions& options, XML_Parser parser)
        : options_(options), parser_(parser), current_(doc) {}

    std::optional<XmlParseError> refusal;
    std::size_t events = 0;  // calls of any handler, to tell whether a piece ended a token

    static void XMLCALL Start(void* self, const XML_Char* name, const XML_Char** atts) {
        static_cast<DomBuilder*>(self)->Guard([&](DomBuilder& b) { b.OnStart(name, atts); });
    }
    static void XMLCALL End(void* self, const XML_Char*) {
        static_cast<DomBuilder*>(self)->Guard([](DomBuilder& b) { b.OnEnd(); });
    }
    static void XMLCALL Characters(void* self, const XML_Char* s, int len) {
        static_cast<DomBuilder*>(self)->Guard([&](DomBuilder& b) { b.text_.append(s, static_cast<std::size_t>(len)); });
    }
    static void XMLCALL StartCdata(void* self) {
        static_cast<DomBuilder*>(self)->Guard([](DomBuilder& b) { b.FlushText(); });
    }
    static void XMLCALL EndCdata(void* self) {
        static_cast<DomBuilder*>(self)->Guard([](DomBuilder& b) { b.AddText(pugi::node_cdata); });
    }
    static void XMLCALL Comment(void* self, const XML_Char* data) {
        static_cast<DomBuilder*>(self)->Guard([&](DomBuilder& b) {
            b.FlushText();
            b.Check(b.current_.append_child(pugi::node_comment).set_value(data));
        });
    }
    static void XMLCALL Instruction(void* self, const XML_Char* target, const XML_Char* data) {
        static_cast<DomBuilder*>(self)->Guard([&](DomBuilder& b) {
            b.FlushText();
            pugi::xml_node pi = b.current_.append_child(pugi::node_pi);
            b.Check(pi.set_name(target) && pi.set_value(data));
        });
    }

private:
    // No exception may cross expat's C frames: a failure stops the parser.
    template <typename F>
    void Guard(F f) {
        ++events;
        if (refusal) return;
        try {
            f(*this);
        } catch (...) {
            Refuse(XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY));
        }
    }
    void Check(bool ok) {
        if (!ok) Refuse(XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY));
    }
    void Refuse(int code, std::string description) {
        const XML_Index at = XML_GetCurrentByteIndex(parser_);
        refusal = XmlParseError{code, std::move(description), at < 0 ? 0 : static_cast<std::size_t>(at)};
        XML_StopParser(parser_, XML_FALSE);
    }

    void OnStart(const XML_Char* name, const XML_Char** atts) {
        FlushText();
        if (options_.nesting) {
            const int parentCount = counts_.empty() ? 0 : counts_.back();
            const int count = options_.nesting(name, current_.name(), parentCount);
            if (count > options_.nestingLimit) return Refuse(kXmlErrorTooDeep, options_.nestingReason);
            counts_.push_back(count);
        }
        pugi::xml_node node = current_.append_child(pugi::node_element);
        Check(node.set_name(name));
        for (const XML_Char** a = atts; *a; a += 2) Check(node.append_attribute(a[0]).set_value(a[1]));
        current_ = node;
    }
    void OnEnd() {
        FlushText();
        if (options_.nesting) counts_.pop_back();
        current_ = current_.parent();
    }
    // The text gathered since the last markup becomes a node unless it is
    // only white space.
    void FlushText() {
        if (text_.empty()) return;
        if (std::all_of(text_.begin(), text_.end(), IsXmlBlank)) {
            text_.clear();
            return;
        }
        AddText(pugi::node_pcdata);
    }
    void AddText(pugi::xml_node_type type) {
        Check(current_.append_child(type).set_value(text_.data(), text_.size()));
        text_.clear();
    }

    const XmlParseOptions& options_;
    XML_Parser parser_;
    pugi::xml_node current_;
    std::string text_;
    std::vector<int> counts_;
};

}  // namespace

std::optional<XmlParseError> ParseXml(std::string_view text, pugi::xml_document& doc, const XmlParseOptions& options) {
    doc.reset();
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser) return XmlParseError{XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY), 0};
    std::optional<XmlParseError> result;
    try {
        DomBuilder builder(doc, options, parser);
        XML_SetUserData(parser, &builder);
        XML_SetElementHandler(parser, DomBuilder::Start, DomBuilder::End);
        XML_SetCharacterDataHandler(parser, DomBuilder::Characters);
        XML_SetCdataSectionHandler(parser, DomBuilder::StartCdata, DomBuilder::EndCdata);
        if (options.keepComments) {
            XML_SetCommentHandler(parser, DomBuilder::Comment);
            XML_SetProcessingInstructionHandler(parser, DomBuilder::Instruction);
        }
        // The text goes in pieces, so that expat copies no more than a piece
        // of it into its own buffer. expat reads a token that a piece cut
        // again from its start with the next piece: a piece that ended no
        // token doubles the next one, so a huge token costs linear time.
        constexpr std::size_t kFirstPiece = std::size_t{1} << 20;
        constexpr std::size_t kLargestPiece = std::size_t{1} << 30;  // expat takes an int length
        std::size_t piece = kFirstPiece;
        XML_Status status = XML_STATUS_OK;
        std::size_t at = 0;
        do {
            const std::size_t n = std::min(piece, text.size() - at);
            const bool last = at + n == text.size();
            const std::size_t eventsBefore = builder.events;
            status = XML_Parse(parser, text.data() + at, static_cast<int>(n), last ? XML_TRUE : XML_FALSE);
            at += n;
            if (builder.events == eventsBefore) piece = std::min(piece * 2, kLargestPiece);
        } while (status == XML_STATUS_OK && at < text.size());
        if (builder.refusal) {
            result = std::move(builder.refusal);
        } else if (status != XML_STATUS_OK) {
            const XML_Error code = XML_GetErrorCode(parser);
            const XML_Index offset = XML_GetCurrentByteIndex(parser);
            result = XmlParseError{static_cast<int>(code), XML_ErrorString(code),
                                   offset < 0 ? 0 : static_cast<std::size_t>(offset)};
        }
    } catch (...) {
        result = XmlParseError{XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY), 0};
    }
    XML_ParserFree(parser);
    return result;
}

XmlSourcePosition LocateInText(std::string_view text, std::size_t offset) {
    if (offset > text.size()) offset = text.size();
    XmlSourcePosition pos;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++pos.line;
            lineStart = i + 1;
        }
    }
    std::size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    pos.lineText = text.substr(lineStart, lineEnd - lineStart);
    pos.column = text::DecodeUtf8(text.substr(lineStart, offset - lineStart)).size() + 1;
    return pos;
}

}  // namespace orvane
