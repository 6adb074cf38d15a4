// Hands expat's events to a streaming reader or builds a pugixml document
// from them.
#include "model/detail/XmlParse.h"

#include <expat.h>

#include <algorithm>
#include <new>
#include <vector>

#include "platform/Text.h"

namespace orvane {
namespace {

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Hands expat's events on to an XmlEvents: gathers character data into runs,
// drops the runs that are only white space and applies the nesting rule.
class EventDriver {
public:
    EventDriver(XmlEvents& events, const XmlParseOptions& options, XML_Parser parser)
        : events_(events), options_(options), parser_(parser) {
        FollowWantsText();
    }

    std::optional<XmlParseError> refusal;
    std::size_t calls = 0;  // calls of any handler, to tell whether a piece ended a token

    static void XMLCALL Start(void* self, const XML_Char* name, const XML_Char** atts) {
        static_cast<EventDriver*>(self)->Guard([&](EventDriver& d) { d.OnStart(name, atts); });
    }
    static void XMLCALL End(void* self, const XML_Char*) {
        static_cast<EventDriver*>(self)->Guard([](EventDriver& d) {
            d.FlushText();
            if (d.options_.nesting) --d.depth_;
            d.events_.End();
            d.FollowWantsText();
        });
    }
    static void XMLCALL Characters(void* self, const XML_Char* s, int len) {
        static_cast<EventDriver*>(self)->Guard(
            [&](EventDriver& d) { d.text_.append(s, static_cast<std::size_t>(len)); });
    }
    static void XMLCALL StartCdata(void* self) {
        static_cast<EventDriver*>(self)->Guard([](EventDriver& d) { d.FlushText(); });
    }
    static void XMLCALL EndCdata(void* self) {
        static_cast<EventDriver*>(self)->Guard([](EventDriver& d) { d.SendText(true); });
    }
    static void XMLCALL Comment(void* self, const XML_Char* data) {
        static_cast<EventDriver*>(self)->Guard([&](EventDriver& d) {
            d.FlushText();
            d.events_.Comment(data);
        });
    }
    static void XMLCALL Instruction(void* self, const XML_Char* target, const XML_Char* data) {
        static_cast<EventDriver*>(self)->Guard([&](EventDriver& d) {
            d.FlushText();
            d.events_.Instruction(target, data);
        });
    }

private:
    // No exception may cross expat's C frames: a failure stops the parser.
    template <typename F>
    void Guard(F f) {
        ++calls;
        if (refusal) return;
        try {
            f(*this);
        } catch (...) {
            Refuse(XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY));
        }
    }
    void Refuse(int code, std::string description) {
        const XML_Index at = XML_GetCurrentByteIndex(parser_);
        refusal = XmlParseError{code, std::move(description), at < 0 ? 0 : static_cast<std::size_t>(at)};
        XML_StopParser(parser_, XML_FALSE);
    }

    void OnStart(const XML_Char* name, const XML_Char** atts) {
        FlushText();
        if (options_.nesting) {
            // Each open element's tag and count, kept in slots reused as the
            // depth goes up and down.
            const bool top = depth_ == 0;
            const int count = options_.nesting(name, top ? std::string_view() : std::string_view(tags_[depth_ - 1]),
                                               top ? 0 : counts_[depth_ - 1]);
            if (count > options_.nestingLimit) return Refuse(kXmlErrorTooDeep, options_.nestingReason);
            if (depth_ == tags_.size()) {
                tags_.emplace_back();
                counts_.push_back(0);
            }
            tags_[depth_] = name;
            counts_[depth_++] = count;
        }
        events_.Start(name, atts);
        FollowWantsText();
    }
    // Character data is asked of expat only while the reader wants it:
    // without a handler expat does not gather it at all.
    void FollowWantsText() {
        if (events_.wantsText == textOn_) return;
        textOn_ = events_.wantsText;
        XML_SetCharacterDataHandler(parser_, textOn_ ? Characters : nullptr);
    }

    // The text gathered since the last markup is told unless it is only
    // white space.
    void FlushText() {
        if (text_.empty()) return;
        if (std::all_of(text_.begin(), text_.end(), IsXmlBlank)) {
            text_.clear();
            return;
        }
        SendText(false);
    }
    void SendText(bool cdata) {
        if (events_.wantsText) events_.Text(text_, cdata);
        text_.clear();
    }

    XmlEvents& events_;
    const XmlParseOptions& options_;
    XML_Parser parser_;
    std::string text_;
    std::vector<std::string> tags_;
    std::vector<int> counts_;
    std::size_t depth_ = 0;
    bool textOn_ = false;  // the character data handler is set
};

// Builds a pugixml document from the events.
class DomBuilder final : public XmlEvents {
public:
    explicit DomBuilder(pugi::xml_document& doc) : current_(doc) {}

    void Start(const char* name, const char* const* atts) override {
        pugi::xml_node node = current_.append_child(pugi::node_element);
        Check(node.set_name(name));
        for (const char* const* a = atts; *a; a += 2) Check(node.append_attribute(a[0]).set_value(a[1]));
        current_ = node;
    }
    void End() override { current_ = current_.parent(); }
    void Text(std::string_view text, bool cdata) override {
        Check(current_.append_child(cdata ? pugi::node_cdata : pugi::node_pcdata).set_value(text.data(), text.size()));
    }
    void Comment(const char* data) override { Check(current_.append_child(pugi::node_comment).set_value(data)); }
    void Instruction(const char* target, const char* data) override {
        pugi::xml_node pi = current_.append_child(pugi::node_pi);
        Check(pi.set_name(target) && pi.set_value(data));
    }

private:
    static void Check(bool ok) {
        if (!ok) throw std::bad_alloc();
    }

    pugi::xml_node current_;
};

}  // namespace

std::optional<XmlParseError> ParseXmlEvents(std::string_view text, XmlEvents& events, const XmlParseOptions& options) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser) return XmlParseError{XML_ERROR_NO_MEMORY, XML_ErrorString(XML_ERROR_NO_MEMORY), 0};
    std::optional<XmlParseError> result;
    try {
        EventDriver driver(events, options, parser);
        XML_SetUserData(parser, &driver);
        XML_SetElementHandler(parser, EventDriver::Start, EventDriver::End);
        XML_SetCdataSectionHandler(parser, EventDriver::StartCdata, EventDriver::EndCdata);
        if (options.keepComments) {
            XML_SetCommentHandler(parser, EventDriver::Comment);
            XML_SetProcessingInstructionHandler(parser, EventDriver::Instruction);
        }
        // The text goes in pieces of 1 MiB, so that expat copies no more
        // than a piece of it into its own buffer. expat reads a token that a
        // piece cut again from its start with the next piece: once a piece
        // ends no token (a huge attribute, say), the rest goes in one piece
        // so that the token is read once more, not once per piece.
        constexpr std::size_t kPiece = std::size_t{1} << 20;
        constexpr std::size_t kLargestPiece = std::size_t{1} << 30;  // expat takes an int length
        std::size_t piece = kPiece;
        XML_Status status = XML_STATUS_OK;
        std::size_t at = 0;
        do {
            const std::size_t n = std::min(piece, text.size() - at);
            const bool last = at + n == text.size();
            const std::size_t callsBefore = driver.calls;
            status = XML_Parse(parser, text.data() + at, static_cast<int>(n), last ? XML_TRUE : XML_FALSE);
            at += n;
            if (driver.calls == callsBefore) piece = kLargestPiece;
        } while (status == XML_STATUS_OK && at < text.size());
        if (driver.refusal) {
            result = std::move(driver.refusal);
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

std::optional<XmlParseError> ParseXml(std::string_view text, pugi::xml_document& doc, const XmlParseOptions& options) {
    doc.reset();
    DomBuilder builder(doc);
    return ParseXmlEvents(text, builder, options);
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
