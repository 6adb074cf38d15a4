// Escaping and splitting of extended-property strings.
#include <orvanespt/platform/ExtPropertyParser.h>

namespace orvane::platform {

namespace {

constexpr std::string_view kCrLfMark = "\\0x130x10\\";
constexpr std::string_view kApostropheMark = "\\0x27\\";

bool IsBlankTail(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Position of the apostrophe that closes a value starting at from, or npos.
std::size_t ClosingQuote(std::string_view text, std::size_t from) {
    for (std::size_t q = text.find('\'', from); q != std::string_view::npos; q = text.find('\'', q + 1)) {
        if (q + 1 < text.size() && text[q + 1] == ';') return q;
        if (IsBlankTail(text.substr(q + 1))) return q;
    }
    return std::string_view::npos;
}

}  // namespace

void AppendEscapedExtValue(std::string& out, std::string_view value) {
    if (value.find_first_of("\r'") == std::string_view::npos) {
        out += value;
        return;
    }
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            out += kCrLfMark;
            ++i;
        } else if (c == '\'') {
            out += kApostropheMark;
        } else {
            out += c;
        }
    }
}

// Left to right, so the closing backslash of one mark never starts another.
std::string UnescapeExtValue(std::string_view escaped) {
    std::string out;
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size();) {
        const std::string_view rest = escaped.substr(i);
        if (rest.starts_with(kApostropheMark)) {
            out += '\'';
            i += kApostropheMark.size();
        } else if (rest.starts_with(kCrLfMark)) {
            out += "\r\n";
            i += kCrLfMark.size();
        } else {
            out += escaped[i++];
        }
    }
    return out;
}

std::optional<std::vector<ExtItem>> ParseExtProperties(std::string_view text) {
    std::vector<ExtItem> items;
    std::size_t pos = 0;
    while (pos < text.size() && !IsBlankTail(text.substr(pos))) {
        const std::size_t eq = text.find("='", pos);
        if (eq == std::string_view::npos) return std::nullopt;
        const std::size_t close = ClosingQuote(text, eq + 2);
        if (close == std::string_view::npos) return std::nullopt;
        items.push_back({std::string(text.substr(pos, eq - pos)), UnescapeExtValue(text.substr(eq + 2, close - eq - 2))});
        pos = close + 1;
        if (pos < text.size() && text[pos] == ';') ++pos;
    }
    return items;
}

}  // namespace orvane::platform
