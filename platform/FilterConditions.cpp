#include <orvanespt/platform/FilterConditions.h>

#include <cstddef>

#include <orvanespt/platform/Text.h>

namespace orvane::platform {

namespace {

enum class Kind { Word, Quoted, Date, Bracketed, Operator, BadOperator, Paren };

struct Token {
    Kind kind;
    std::size_t begin;
    std::size_t end;  // one past the last character
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsOperatorChar(char c) {
    return c == '<' || c == '>' || c == '=';
}
bool EndsWord(char c) {
    return IsBlank(c) || IsOperatorChar(c) || c == '\'' || c == '"' || c == '[' || c == '(' || c == ')';
}

// One past the closing character of a span opened at begin, or npos when it
// is not closed. A doubled quote inside a quoted text is a quote.
std::size_t CloseSpan(std::string_view s, std::size_t begin, char close, bool doubling) {
    for (std::size_t i = begin + 1; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (doubling && i + 1 < s.size() && s[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// The tokens of s; nullopt when a quote, bracket or date is not closed.
std::optional<std::vector<Token>> Tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        Kind kind = Kind::Word;
        if (c == '\'' || c == '"') {
            kind = Kind::Quoted;
            end = CloseSpan(s, i, c, true);
        } else if (c == '#') {
            kind = Kind::Date;
            end = CloseSpan(s, i, '#', false);
        } else if (c == '[') {
            kind = Kind::Bracketed;
            end = CloseSpan(s, i, ']', false);
        } else if (c == '(' || c == ')') {
            kind = Kind::Paren;
        } else if (IsOperatorChar(c)) {
            while (end < s.size() && IsOperatorChar(s[end])) ++end;
            const std::string_view op = s.substr(i, end - i);
            const bool known = op == "=" || op == "<" || op == ">" || op == "<=" || op == ">=" || op == "<>";
            kind = known ? Kind::Operator : Kind::BadOperator;
        } else {
            while (end < s.size() && !EndsWord(s[end])) ++end;
        }
        if (end == std::string_view::npos) return std::nullopt;
        tokens.push_back({kind, i, end});
        i = end;
    }
    return tokens;
}

bool IsWord(std::string_view s, const Token& t, std::string_view word) {
    return t.kind == Kind::Word && text::EqualsIgnoreCase(s.substr(t.begin, t.end - t.begin), word);
}
bool IsUnion(std::string_view s, const Token& t) {
    return IsWord(s, t, "AND") || IsWord(s, t, "OR");
}
bool IsOperator(std::string_view s, const Token& t) {
    return t.kind == Kind::Operator || IsWord(s, t, "LIKE");
}

// The position of the one operator among tokens [first, last), or npos when
// there is none, more than one, a malformed one, a parenthesis or a union word.
std::size_t OnlyOperator(std::string_view s, const std::vector<Token>& tokens, std::size_t first, std::size_t last) {
    std::size_t found = std::string_view::npos;
    for (std::size_t k = first; k < last; ++k) {
        const Token& t = tokens[k];
        if (t.kind == Kind::BadOperator || t.kind == Kind::Paren || IsUnion(s, t)) return std::string_view::npos;
        if (!IsOperator(s, t)) continue;
        if (found != std::string_view::npos) return std::string_view::npos;
        found = k;
    }
    return found;
}

}  // namespace

std::optional<std::vector<FilterCondition>> SplitFilter(std::string_view text) {
    const auto tokens = Tokenize(text);
    if (!tokens || tokens->empty()) return std::nullopt;
    std::vector<FilterCondition> conditions;
    std::size_t first = 0;
    for (std::size_t k = 0; k <= tokens->size(); ++k) {
        const bool atEnd = k == tokens->size();
        if (!atEnd && !IsUnion(text, (*tokens)[k])) continue;
        if (atEnd && first == k && !conditions.empty()) break;  // the text ended with a union word
        if (first == k || OnlyOperator(text, *tokens, first, k) == std::string_view::npos) return std::nullopt;
        const std::size_t from = (*tokens)[first].begin;
        const std::size_t to = (*tokens)[k - 1].end;
        const Token* unionWord = atEnd ? nullptr : &(*tokens)[k];
        conditions.push_back(
            {std::string(text.substr(from, to - from)),
             unionWord ? text::UpperAscii(text.substr(unionWord->begin, unionWord->end - unionWord->begin)) : std::string("AND")});
        first = k + 1;
    }
    return conditions;
}

std::optional<ConditionParts> SplitCondition(std::string_view entry) {
    const auto tokens = Tokenize(entry);
    if (!tokens || tokens->empty()) return std::nullopt;
    std::size_t last = tokens->size();
    ConditionParts parts;
    std::size_t valueEnd = entry.size();
    if (last > 1 && IsUnion(entry, tokens->back())) {
        const Token& u = tokens->back();
        parts.Union = std::string(entry.substr(u.begin, u.end - u.begin));
        valueEnd = u.begin;
        --last;
    }
    const std::size_t op = OnlyOperator(entry, *tokens, 0, last);
    if (op == std::string_view::npos) return std::nullopt;
    const Token& o = (*tokens)[op];
    parts.Field = std::string(text::TrimWhite(entry.substr(0, o.begin)));
    parts.Operator = std::string(entry.substr(o.begin, o.end - o.begin));
    parts.Value = std::string(text::TrimWhite(entry.substr(o.end, valueEnd - o.end)));
    return parts;
}

std::string ComposeCondition(std::string_view field, std::string_view op, std::string_view value,
                             std::string_view unionWord) {
    std::string entry(text::TrimBlanks(field));
    for (std::string_view piece : {op, value, unionWord}) {
        entry += ' ';
        entry += text::TrimBlanks(piece);
    }
    return entry;
}

std::string ComposeFilter(const std::vector<std::string>& entries) {
    std::string out;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string_view entry = entries[i];
        if (i + 1 == entries.size()) {
            for (std::string_view word : {std::string_view(" AND"), std::string_view(" OR")}) {
                if (entry.size() >= word.size() && entry.substr(entry.size() - word.size()) == word) {
                    entry.remove_suffix(word.size() - 1);
                    break;
                }
            }
        } else if (const auto tokens = Tokenize(entry); tokens && !tokens->empty() && !IsUnion(entry, tokens->back())) {
            // Without a union word (a filter kept whole, an empty union box)
            // it would run into the next condition.
            out += text::TrimBlanks(entry);
            out += " AND ";
            continue;
        }
        out += entry;
        out += ' ';
    }
    return out;
}

}  // namespace orvane::platform
