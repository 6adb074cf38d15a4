#include "platform/Secrets.h"

#include <cctype>
#include <string_view>

#include "platform/Text.h"

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

}  // namespace

std::string ScrubPasswords(const std::string& in, const std::vector<std::string>& secrets) {
    std::string s = in;
    for (const std::string& secret : secrets)
        if (!secret.empty()) s = text::ReplaceAll(s, secret, "***");
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t value = ValueStart(s, i);
        if (value == std::string_view::npos) {
            out += s[i++];
            continue;
        }
        out.append(s, i, value - i);
        out += "***";
        i = ValueEnd(s, value);
    }
    return out;
}

}  // namespace orvane::platform
