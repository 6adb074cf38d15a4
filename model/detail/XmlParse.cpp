// Hands expat's events to a streaming reader or builds a pugixml document
// from them.
#include <orvanespt/model/detail/XmlParse.h>

#include <expat.h>

#include <algorithm>
#include <new>
#include <vector>

#include <orvanespt/model/detail/Texts.h>
#include <orvanespt/model/detail/LargeBlocks.h>
#include <orvanespt/platform/Text.h>

namespace orvane::detail {

namespace msg = model::msg;
namespace {

using Form = XmlTextEncoding::Form;

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// What a text's first bytes say of its encoding: a byte-order mark, or for
// UTF-16 without one the "<" it begins with (as expat finds it).
struct TextStart {
    Form form = Form::Utf8;
    std::size_t mark = 0;  // bytes of the byte-order mark
    bool binding = false;  // the declaration must agree: UTF-8 with a mark, or UTF-16
};

TextStart StartOf(std::string_view t) {
    if (t.starts_with("\xEF\xBB\xBF")) return {Form::Utf8, 3, true};
    if (t.starts_with("\xFF\xFE")) return {Form::Utf16LE, 2, true};
    if (t.starts_with("\xFE\xFF")) return {Form::Utf16BE, 2, true};
    if (t.starts_with(std::string_view("<\0", 2))) return {Form::Utf16LE, 0, true};
    if (t.starts_with(std::string_view("\0<", 2))) return {Form::Utf16BE, 0, true};
    return {};
}

const char* FormName(Form form) {
    return form == Form::Utf16LE ? "UTF-16LE" : form == Form::Utf16BE ? "UTF-16BE" : "UTF-8";
}

// Whether the encoding a declaration names agrees with the text's start.
bool Agrees(const TextStart& start, std::string_view declared) {
    if (!start.binding || text::EqualsIgnoreCase(declared, FormName(start.form))) return true;
    return start.form != Form::Utf8 && text::EqualsIgnoreCase(declared, "UTF-16");
}

// A declared encoding name for a message: expat allows only letters, digits
// and ".-_" in it, but not its length.
std::string Quoted(std::string_view name) {
    constexpr std::size_t kShown = 60;
    return name.size() <= kShown ? std::string(name) : std::string(name.substr(0, kShown)) + "...";
}

// Bytes 0x80..0xFF of an 8-bit encoding expat does not know, from our tables.
int XMLCALL UnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    const detail::CodePageHigh* page = detail::FindCodePage(name);
    if (!page) return XML_STATUS_ERROR;
    for (int b = 0; b < 128; ++b) info->map[b] = b;
    for (int b = 0; b < 128; ++b) info->map[128 + b] = (*page)[b] ? (*page)[b] : -1;  // -1: no character
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

// Hands expat's events on to an XmlEvents: gathers character data into runs,
// drops the runs that are only white space and applies the nesting rule.
class EventDriver {
public:
    EventDriver(XmlEvents& events, const XmlParseOptions& options, XML_Parser parser, TextStart start)
        : events_(events), options_(options), parser_(parser), start_(start) {
        FollowWantsText();
    }

    std::optional<XmlParseError> refusal;
    std::size_t calls = 0;  // calls of any handler, to tell whether a piece ended a token
    std::string declared;   // the encoding the declaration names

    // How the text's bytes read, for telling where a fault is.
    XmlTextEncoding Encoding() const {
        if (options_.decoded || start_.binding) return {start_.form, nullptr};
        if (const auto* page = detail::FindCodePage(declared)) return {Form::SingleByte, page};
        return {};
    }

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
    // expat calls it before it takes up the encoding declared.
    static void XMLCALL Declaration(void* self, const XML_Char*, const XML_Char* encoding, int) {
        static_cast<EventDriver*>(self)->Guard([&](EventDriver& d) {
            if (!encoding) return;
            d.declared = encoding;
            if (Agrees(d.start_, d.declared)) return;
            const std::string form = FormName(d.start_.form);
            d.Refuse(XML_ERROR_INCORRECT_ENCODING, msg::EncodingContradicted(d.start_.mark, form, Quoted(d.declared)));
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
            Refuse(XML_ERROR_NO_MEMORY, msg::XmlReason(XML_ERROR_NO_MEMORY));
        }
    }
    void Refuse(int code, std::string description) {
        const XML_Index at = XML_GetCurrentByteIndex(parser_);
        refusal = XmlParseError{code, std::move(description), at < 0 ? 0 : static_cast<std::size_t>(at), {}};
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
    TextStart start_;
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
    // expat's input buffer and string pool each hold the whole of a huge
    // token: from 4 MiB on they take huge pages (Linux only), which spares
    // most of the page faults of filling them.
    static constexpr XML_Memory_Handling_Suite kMemory{BlockAlloc, BlockRealloc, BlockFree};
    // Without an encoding given, expat takes it from the byte-order mark or
    // the declaration, and asks UnknownEncoding for names it does not know.
    XML_Parser parser = XML_ParserCreate_MM(options.decoded ? "UTF-8" : nullptr, &kMemory, nullptr);
    if (!parser) return XmlParseError{XML_ERROR_NO_MEMORY, msg::XmlReason(XML_ERROR_NO_MEMORY), 0, {}};
    std::optional<XmlParseError> result;
    try {
        EventDriver driver(events, options, parser, options.decoded ? TextStart{} : StartOf(text));
        XML_SetUserData(parser, &driver);
        if (!options.decoded) {
            XML_SetXmlDeclHandler(parser, EventDriver::Declaration);
            XML_SetUnknownEncodingHandler(parser, UnknownEncoding, nullptr);
        }
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
            result = XmlParseError{
                static_cast<int>(code), msg::XmlReason(code), offset < 0 ? 0 : static_cast<std::size_t>(offset), {}};
            if (code == XML_ERROR_UNKNOWN_ENCODING) result->description = msg::EncodingUnread(Quoted(driver.declared));
        }
        if (result) result->encoding = driver.Encoding();
    } catch (...) {
        result = XmlParseError{XML_ERROR_NO_MEMORY, msg::XmlReason(XML_ERROR_NO_MEMORY), 0, {}};
    }
    XML_ParserFree(parser);
    return result;
}

std::optional<XmlParseError> ParseXml(std::string_view text, pugi::xml_document& doc, const XmlParseOptions& options) {
    doc.reset();
    DomBuilder builder(doc);
    return ParseXmlEvents(text, builder, options);
}

namespace {

// The code unit at byte i of a text in the encoding (a byte, or two).
char32_t UnitAt(std::string_view text, std::size_t i, Form form) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (form == Form::Utf16LE) return char32_t(byte(i + 1)) << 8 | byte(i);
    if (form == Form::Utf16BE) return char32_t(byte(i)) << 8 | byte(i + 1);
    return byte(i);
}

// Bytes of the encoding as UTF-8; a UTF-8 text is kept as it is and a byte
// an 8-bit encoding leaves undefined becomes U+FFFD.
std::string ToUtf8(std::string_view bytes, const XmlTextEncoding& encoding) {
    switch (encoding.form) {
        case Form::Utf8:
            return std::string(bytes);
        case Form::Utf16LE:
        case Form::Utf16BE:
            return text::Utf16ToUtf8(bytes, encoding.form == Form::Utf16BE);
        case Form::SingleByte:
            break;
    }
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char32_t cp = b < 0x80 ? b : (*encoding.page)[b - 0x80];
        text::AppendUtf8(out, cp ? cp : char32_t(0xFFFD));
    }
    return out;
}

}  // namespace

XmlSourcePosition LocateInText(std::string_view text, std::size_t offset, const XmlTextEncoding& encoding) {
    const Form form = encoding.form == Form::SingleByte && !encoding.page ? Form::Utf8 : encoding.form;
    const std::size_t unit = form == Form::Utf16LE || form == Form::Utf16BE ? 2 : 1;
    const auto unitAt = [&](std::size_t i) { return UnitAt(text, i, form); };
    const TextStart start = StartOf(text);
    std::size_t lineStart = start.form == form ? start.mark : 0;  // a mark is no character of the line
    offset = std::clamp(offset, lineStart, text.size());
    XmlSourcePosition pos;
    for (std::size_t i = lineStart; i + unit <= offset; i += unit) {
        const char32_t c = unitAt(i);
        if (c == '\n' || (c == '\r' && (i + 2 * unit > text.size() || unitAt(i + unit) != '\n'))) {
            ++pos.line;
            lineStart = i + unit;
        }
    }
    std::size_t lineEnd = lineStart;
    while (lineEnd + unit <= text.size() && unitAt(lineEnd) != '\r' && unitAt(lineEnd) != '\n') lineEnd += unit;
    const XmlTextEncoding read{form, encoding.page};
    pos.lineText = ToUtf8(text.substr(lineStart, lineEnd - lineStart), read);
    pos.column = text::DecodeUtf8(ToUtf8(text.substr(lineStart, offset - lineStart), read)).size() + 1;
    return pos;
}

}  // namespace orvane::detail

namespace orvane {

bool ReadXmlEvents(std::string_view text, XmlEvents& events, bool keepComments, bool decoded) {
    return !detail::ParseXmlEvents(text, events, {.keepComments = keepComments, .decoded = decoded});
}

}  // namespace orvane
