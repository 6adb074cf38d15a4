#include <orvanespt/platform/Secrets.h>

#include <cctype>
#include <string_view>

#include <orvanespt/platform/Text.h>

namespace orvane::platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithIgnoreCase(std::string_view s, std::size_t at, std::string_view word) {
    return s.size() - at >= word.size() && text::EqualsIgnoreCaseAscii(s.substr(at, word.size()), word);
}

// When a password key starts at i: the position of its value, else npos.
std::size_t ValueStart(std::string_view s, std::size_t i) {
    if (i > 0 && (std::isalnum(static_cast<unsigned char>(s[i - 1])) || s[i - 1] == '_')) return std::string_view::npos;
    std::size_t j;
    if (StartsWithIgnoreCase(s, i, "password"))
        j = i + 8;
    else if (StartsWithIgnoreCase(s, i, "pwd"))
        j = i + 3;
    else
        return std::string_view::npos;
    while (j < s.size() && IsBlank(s[j])) ++j;
    if (j >= s.size() || s[j] != '=') return std::string_view::npos;
    ++j;
    while (j < s.size() && IsBlank(s[j])) ++j;
    return j;
}

// The end of the quoted value that starts at i with quote q (a doubled quote
// stands for one).
std::size_t QuotedEnd(std::string_view s, std::size_t i, std::string_view q) {
    std::size_t k = i + q.size();
    for (;;) {
        std::size_t close = s.find(q, k);
        if (close == std::string_view::npos) return s.size();
        if (s.compare(close + q.size(), q.size(), q) == 0) {
            k = close + 2 * q.size();
            continue;
        }
        return close + q.size();
    }
}

std::size_t ValueEnd(std::string_view s, std::size_t i) {
    if (i >= s.size()) return i;
    if (s[i] == '{') {
        std::size_t k = i + 1;
        while (k < s.size()) {
            if (s[k] == '}') {
                if (k + 1 < s.size() && s[k + 1] == '}') {
                    k += 2;
                    continue;
                }
                return k + 1;
            }
            ++k;
        }
        return s.size();
    }
    for (std::string_view q : {"&quot;", "&apos;", "\"", "'"})
        if (s.compare(i, q.size(), q) == 0) return QuotedEnd(s, i, q);
    std::size_t k = i;
    while (k < s.size() && s[k] != ';' && s[k] != '"' && s[k] != '\r' && s[k] != '\n') ++k;
    return k;
}

// A byte that continues a word: letters, digits, "_" and every byte of a
// non-ASCII character.
bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

// The text with every occurrence of secret that stands as a whole token
// replaced by "***". Inside a longer word it is left alone: masking there
// would change the words around it (a password "post" in "postgres") and
// show where the password is.
std::string MaskTokens(const std::string& s, const std::string& secret) {
    if (secret.empty()) return s;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = s.find(secret); at != std::string::npos; at = s.find(secret, at + 1)) {
        const std::size_t end = at + secret.size();
        if (at < from) continue;
        if (at > 0 && IsWordByte(s[at - 1]) && IsWordByte(secret.front())) continue;
        if (end < s.size() && IsWordByte(s[end]) && IsWordByte(secret.back())) continue;
        out.append(s, from, at - from);
        out += "***";
        from = end;
    }
    out.append(s, from, std::string::npos);
    return out;
}

}  // namespace

std::string ScrubPasswords(const std::string& in, const std::vector<std::string>& secrets) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        const std::size_t value = ValueStart(in, i);
        if (value == std::string_view::npos) {
            out += in[i++];
            continue;
        }
        out.append(in, i, value - i);
        out += "***";
        i = ValueEnd(in, value);
    }
    for (const std::string& secret : secrets) out = MaskTokens(out, secret);
    return out;
}

}  // namespace orvane::platform
