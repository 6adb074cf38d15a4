// Escaping and lenient readings of the definition XML's texts. The encoder is
// one pass over the bytes: runs that need nothing are appended whole, which
// keeps the writer fast on large definitions.
#include <orvanespt/model/XmlText.h>

#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/model/detail/LargeBlocks.h>

namespace orvane {

namespace {

constexpr std::string_view kEscapedMarker = "&lt;p&gt;&amp;nbsp;&lt;/p&gt;";

constexpr std::array<bool, 256> MakeSpecialTable() {
    std::array<bool, 256> t{};
    for (char c : std::string_view("&<>'\"\r\n\t")) t[static_cast<unsigned char>(c)] = true;
    for (std::size_t i = 0x80; i < 256; ++i) t[i] = true;
    return t;
}
constexpr std::array<bool, 256> kSpecial = MakeSpecialTable();

// Length of the well-formed UTF-8 sequence at p and its code point; a byte
// that starts no well-formed sequence is taken alone as its own value, the
// same reading text::DecodeUtf8 gives.
std::size_t DecodeOne(const char* p, const char* end, char32_t& cp) {
    const auto c = static_cast<unsigned char>(*p);
    const std::size_t len = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    cp = c;
    if (len == 0 || static_cast<std::size_t>(end - p) < len) return 1;
    char32_t v = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(p[k]);
        if ((cc & 0xC0) != 0x80) return 1;
        v = (v << 6) | (cc & 0x3F);
    }
    const bool overlong = (len == 2 && v < 0x80) || (len == 3 && v < 0x800) || (len == 4 && v < 0x10000);
    if (overlong || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 1;
    cp = v;
    return len;
}

void AppendDecimalRef(std::string& out, unsigned v) {
    char buf[8] = {'&', '#', static_cast<char>('0' + v / 100), static_cast<char>('0' + v / 10 % 10),
                   static_cast<char>('0' + v % 10), ';'};
    out.append(buf, 6);
}

// Appends the escaped form of the special character at p; returns the number
// of bytes it stood for.
std::size_t AppendEscape(std::string& out, const char* p, const char* end) {
    switch (*p) {
        case '\r':
            if (p + 1 < end && p[1] == '\n') {
                out += kEscapedMarker;
                return 2;
            }
            out += "&#xD;";
            return 1;
        case '\n': out += "&#xA;"; return 1;
        case '\t': out += "&#x9;"; return 1;
        case '&': out += "&amp;"; return 1;
        case '>': out += "&gt;"; return 1;
        case '<': out += "&lt;"; return 1;
        case '\'': out += "&apos;"; return 1;
        case '"': out += "&quot;"; return 1;
        default: break;
    }
    char32_t cp = 0;
    const std::size_t len = DecodeOne(p, end, cp);
    if (cp <= 0xFF) {
        AppendDecimalRef(out, static_cast<unsigned>(cp));
    } else {
        out.append(p, len);
    }
    return len;
}

// The first byte from p on that may need escaping (every special byte, and
// some control characters that the caller then lets through), or end.
const char* NextCandidate(const char* p, const char* const end) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: a signed compare below 0x20 also catches every
    // byte from 0x80 up, the start of each non-ASCII character.
    const __m128i below = _mm_set1_epi8(0x20);
    const __m128i amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>');
    const __m128i apos = _mm_set1_epi8('\''), quot = _mm_set1_epi8('"');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_or_si128(_mm_cmplt_epi8(v, below), _mm_cmpeq_epi8(v, amp));
        hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)));
        hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(v, apos), _mm_cmpeq_epi8(v, quot)));
        if (const int mask = _mm_movemask_epi8(hit)) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && !kSpecial[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

}  // namespace

void AppendEncodedXMLText(std::string& out, std::string_view s) {
    const char* p = s.data();
    const char* const end = p + s.size();
    const char* run = p;
    while (p < end) {
        p = NextCandidate(p, end);
        if (p == end) break;
        if (!kSpecial[static_cast<unsigned char>(*p)]) {
            ++p;
            continue;
        }
        out.append(run, static_cast<std::size_t>(p - run));
        p += AppendEscape(out, p, end);
        run = p;
    }
    out.append(run, static_cast<std::size_t>(p - run));
}

std::string EncodeXMLText(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    AppendEncodedXMLText(out, s);
    return out;
}

std::string XmlMarkupText(std::string_view bytes) {
    const auto starts = [&](std::string_view head) { return bytes.substr(0, head.size()) == head; };
    if (starts("\xFF\xFE")) return text::Utf16ToUtf8(bytes.substr(2), false);
    if (starts("\xFE\xFF")) return text::Utf16ToUtf8(bytes.substr(2), true);
    if (starts(std::string_view("<\0", 2))) return text::Utf16ToUtf8(bytes, false);
    if (starts(std::string_view("\0<", 2))) return text::Utf16ToUtf8(bytes, true);
    return std::string(starts("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
}

std::string DecodeXMLText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    // A long text fills memory never touched before: from 4 MiB on it takes
    // huge pages (Linux only), which spares most of the page faults.
    detail::AdviseHugePages(out.data(), out.capacity());
    // Slice by slice, each copied while the search still has it in cache, so
    // that a long text is read from memory once rather than twice.
    constexpr std::size_t kSlice = std::size_t{1} << 15;
    const std::size_t m = kXmlLineBreakMarker.size();
    std::size_t from = 0;
    while (from < s.size()) {
        const std::size_t end = std::min(s.size(), from + kSlice);
        // Long enough for a marker that starts before end to be found whole.
        const std::string_view window = s.substr(0, std::min(s.size(), end + m - 1));
        const std::size_t at = window.find(kXmlLineBreakMarker, from);
        if (at == std::string_view::npos) {
            out.append(s, from, end - from);
            from = end;
            continue;
        }
        out.append(s, from, at - from);
        out += "\r\n";
        from = at + m;
    }
    return out;
}

void AppendAttrValue(std::string& out, std::string_view text) {
    out += '"';
    AppendEncodedXMLText(out, text);
    out += '"';
}

std::string AttrValue(const Variant& v) {
    if (auto b = v.AsBool()) return *b ? "\"True\"" : "\"False\"";
    const std::string text = v.TextOr();
    std::string out;
    out.reserve(text.size() + 2);
    AppendAttrValue(out, text);
    return out;
}

bool StrToBool(std::string_view s) {
    if (auto n = platform::LeadingNumber(s); n && *n != 0) return true;
    const std::string lower = text::Lower(s);
    return lower == "true" || lower == "verdadero";
}

double StrToNum(std::string_view s) {
    std::string dotted(s);
    for (char& c : dotted) {
        if (c == ',') c = '.';
    }
    return platform::LeadingNumber(dotted).value_or(0.0);
}

}  // namespace orvane
