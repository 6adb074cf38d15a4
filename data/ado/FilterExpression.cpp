#include <orvanespt/data/ado/FilterExpression.h>

#include <cctype>
#include <cmath>
#include <cstdlib>

#include <orvanespt/data/detail/Texts.h>
#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Characters that end a bare field name or word.
bool IsWordChar(char c) {
    if (IsSpace(c)) return false;
    switch (c) {
        case '(':
        case ')':
        case '=':
        case '<':
        case '>':
        case '!':
        case '\'':
        case '#':
        case '[':
        case ']':
        case ',':
            return false;
        default:
            return true;
    }
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int ToInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// "h:mm[:ss]" with an optional AM/PM word after it; false when malformed.
bool ReadTime(std::string_view s, DateTime& dt) {
    s = text::TrimWhite(s);
    int pm = -1;
    std::string lower = text::Lower(s);
    if (lower.size() > 2 && (lower.ends_with("am") || lower.ends_with("pm"))) {
        pm = lower.ends_with("pm") ? 1 : 0;
        s = text::TrimWhite(s.substr(0, s.size() - 2));
    }
    auto parts = text::Split(s, ":");
    if (parts.size() < 2 || parts.size() > 3) return false;
    std::string fraction;
    if (parts.size() == 3) {  // seconds may carry a fraction: 14:30:00.123456
        std::string& secs = parts[2];
        if (const auto dot = secs.find('.'); dot != std::string::npos) {
            fraction = secs.substr(dot + 1);
            secs = secs.substr(0, dot);
            if (fraction.empty() || fraction.size() > 9 || !AllDigits(fraction)) return false;
        }
    }
    for (const auto& p : parts)
        if (!AllDigits(p) || p.size() > 2) return false;
    dt.Hour = ToInt(parts[0]);
    dt.Minute = ToInt(parts[1]);
    dt.Second = parts.size() == 3 ? ToInt(parts[2]) : 0;
    dt.Nanosecond = ToInt(fraction);
    for (std::size_t n = fraction.size(); n < 9; ++n) dt.Nanosecond *= 10;
    if (pm >= 0) {
        if (dt.Hour < 1 || dt.Hour > 12) return false;
        dt.Hour = dt.Hour % 12 + (pm ? 12 : 0);
    }
    return true;
}

// The text between # signs: m/d/yyyy or yyyy-mm-dd, either with a time, or a
// time alone (on the zero date 1899-12-30).
bool ReadDate(std::string_view s, DateTime& dt) {
    s = text::TrimWhite(s);
    dt = DateTime{};
    std::size_t blank = s.find_first_of(" T");
    std::string_view date = s.substr(0, blank);
    std::string_view time = blank == std::string_view::npos ? std::string_view{} : s.substr(blank + 1);
    if (date.find(':') != std::string_view::npos) return ReadTime(s, dt) && dt.IsValid();
    if (auto iso = text::Split(date, "-"); iso.size() == 3) {
        if (iso[0].size() != 4 || !AllDigits(iso[0]) || !AllDigits(iso[1]) || !AllDigits(iso[2])) return false;
        if (iso[1].size() > 2 || iso[2].size() > 2) return false;
        dt.Year = ToInt(iso[0]);
        dt.Month = ToInt(iso[1]);
        dt.Day = ToInt(iso[2]);
    } else if (auto us = text::Split(date, "/"); us.size() == 3) {
        if (!AllDigits(us[0]) || !AllDigits(us[1]) || !AllDigits(us[2])) return false;
        if (us[0].size() > 2 || us[1].size() > 2 || (us[2].size() != 2 && us[2].size() != 4)) return false;
        dt.Month = ToInt(us[0]);
        dt.Day = ToInt(us[1]);
        dt.Year = ToInt(us[2]);
        if (us[2].size() == 2) dt.Year += dt.Year < 30 ? 2000 : 1900;  // two-digit years as VB reads them
    } else {
        return false;
    }
    if (!time.empty() && !ReadTime(time, dt)) return false;
    return dt.IsValid();
}

// Strict number: [sign][$][sign]digits[.digits][e[sign]digits].
bool ReadNumber(std::string_view s, FilterValue& v) {
    std::string clean;
    std::size_t i = 0;
    bool negative = false;
    auto sign = [&] {
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
            negative = s[i] == '-';
            ++i;
            return true;
        }
        return false;
    };
    bool hadSign = sign();
    if (i < s.size() && s[i] == '$') {
        ++i;
        if (!hadSign) sign();
    }
    std::size_t digitsStart = i;
    bool point = false, exponent = false, digits = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            exponent = true;
            if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
            if (i + 1 >= s.size() || s[i + 1] < '0' || s[i + 1] > '9') return false;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    clean = text::Concat({negative ? "-" : "", s.substr(digitsStart)});
    char* end = nullptr;
    v.number = std::strtod(clean.c_str(), &end);
    if (end != clean.c_str() + clean.size() || !std::isfinite(v.number)) return false;
    v.kind = FilterValue::Kind::Number;
    v.text = clean;
    v.isInteger = !point && !exponent && std::fabs(v.number) < 9.2e18;
    if (v.isInteger) v.integer = std::strtoll(clean.c_str(), nullptr, 10);
    return true;
}

class FilterParser {
public:
    explicit FilterParser(std::string_view text) : s_(text) {}

    std::unique_ptr<FilterNode> Parse() {
        SkipSpace();
        if (pos_ >= s_.size()) return nullptr;
        auto node = std::make_unique<FilterNode>(ParseOr(0));
        SkipSpace();
        if (pos_ < s_.size()) Fail(s_[pos_] == ')' ? msg::kUnbalancedParen : msg::kExpectedAndOr);
        return node;
    }

private:
    [[noreturn]] void Fail(const std::string& why) const { throw ExpressionError(msg::InvalidFilter(why, pos_ + 1)); }

    void SkipSpace() {
        while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
    }

    // The bare word at the cursor, not consumed.
    std::string_view PeekWord() {
        SkipSpace();
        std::size_t e = pos_;
        while (e < s_.size() && IsWordChar(s_[e])) ++e;
        return s_.substr(pos_, e - pos_);
    }

    FilterNode Combine(FilterNode::Kind kind, std::vector<FilterNode> parts) {
        if (parts.size() == 1) return std::move(parts.front());
        FilterNode n;
        n.kind = kind;
        n.children = std::move(parts);
        return n;
    }

    FilterNode ParseOr(int depth) {
        std::vector<FilterNode> parts;
        parts.push_back(ParseAnd(depth));
        while (text::EqualsIgnoreCase(PeekWord(), "or")) {
            pos_ += 2;
            parts.push_back(ParseAnd(depth));
        }
        return Combine(FilterNode::Kind::Or, std::move(parts));
    }

    FilterNode ParseAnd(int depth) {
        std::vector<FilterNode> parts;
        parts.push_back(ParsePrimary(depth));
        while (text::EqualsIgnoreCase(PeekWord(), "and")) {
            pos_ += 3;
            parts.push_back(ParsePrimary(depth));
        }
        return Combine(FilterNode::Kind::And, std::move(parts));
    }

    FilterNode ParsePrimary(int depth) {
        SkipSpace();
        if (pos_ >= s_.size()) Fail(msg::kExpectedCondition);
        if (s_[pos_] != '(') return ParseClause();
        if (depth + 1 > kMaxFilterNesting) Fail(msg::kNestedTooDeep);
        ++pos_;
        FilterNode inner = ParseOr(depth + 1);
        SkipSpace();
        if (pos_ >= s_.size() || s_[pos_] != ')') Fail(msg::kMissingParen);
        ++pos_;
        return inner;
    }

    FilterNode ParseClause() {
        FilterNode n;
        n.field = ReadField();
        n.op = ReadOperator();
        n.value = ReadValue();
        if (n.value.kind == FilterValue::Kind::Null && n.op != CompareOp::Eq && n.op != CompareOp::Ne)
            Fail(msg::kNullComparison);
        if (n.op == CompareOp::Like && n.value.kind != FilterValue::Kind::Text) Fail(msg::kLikeNeedsText);
        return n;
    }

    std::string ReadField() {
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == '[') {
            std::size_t close = s_.find(']', pos_ + 1);
            if (close == std::string_view::npos) Fail(msg::kMissingBracket);
            std::string name(text::TrimBlanks(s_.substr(pos_ + 1, close - pos_ - 1)));
            if (name.empty()) Fail(msg::kEmptyFieldName);
            pos_ = close + 1;
            return name;
        }
        std::string_view word = PeekWord();
        if (word.empty()) Fail(msg::kExpectedFieldName);
        pos_ += word.size();
        return std::string(word);
    }

    CompareOp ReadOperator() {
        SkipSpace();
        auto starts = [&](std::string_view op) { return s_.substr(pos_, op.size()) == op; };
        struct Sym {
            std::string_view text;
            CompareOp op;
        };
        static const Sym kSymbols[] = {{"<=", CompareOp::Le}, {">=", CompareOp::Ge}, {"<>", CompareOp::Ne},
                                       {"<", CompareOp::Lt},  {">", CompareOp::Gt},  {"=", CompareOp::Eq}};
        for (const auto& sym : kSymbols) {
            if (starts(sym.text)) {
                pos_ += sym.text.size();
                return sym.op;
            }
        }
        if (text::EqualsIgnoreCase(PeekWord(), "like")) {
            pos_ += 4;
            return CompareOp::Like;
        }
        Fail(msg::kExpectedOperator);
    }

    FilterValue ReadValue() {
        SkipSpace();
        FilterValue v;
        if (pos_ >= s_.size()) Fail(msg::kExpectedValue);
        char c = s_[pos_];
        if (c == '\'') {
            v.kind = FilterValue::Kind::Text;
            for (std::size_t i = pos_ + 1; i < s_.size(); ++i) {
                if (s_[i] != '\'') {
                    v.text += s_[i];
                } else if (i + 1 < s_.size() && s_[i + 1] == '\'') {
                    v.text += '\'';
                    ++i;
                } else {
                    pos_ = i + 1;
                    return v;
                }
            }
            Fail(msg::kUnterminatedText);
        }
        if (c == '#') {
            std::size_t close = s_.find('#', pos_ + 1);
            if (close == std::string_view::npos) Fail(msg::kMissingHash);
            if (!ReadDate(s_.substr(pos_ + 1, close - pos_ - 1), v.date)) Fail(msg::kInvalidDate);
            v.kind = FilterValue::Kind::Date;
            pos_ = close + 1;
            return v;
        }
        std::string_view word = PeekWord();
        if (word.empty()) Fail(msg::kExpectedValue);
        if (text::EqualsIgnoreCase(word, "null")) {
            v.kind = FilterValue::Kind::Null;
        } else if (text::EqualsIgnoreCase(word, "true") || text::EqualsIgnoreCase(word, "false")) {
            v.kind = FilterValue::Kind::Bool;
            v.truth = text::EqualsIgnoreCase(word, "true");
        } else if (!ReadNumber(word, v)) {
            Fail(msg::kExpectedValueKinds);
        }
        pos_ += word.size();
        return v;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<FilterNode> ParseFilter(std::string_view text) {
    return FilterParser(text).Parse();
}

std::vector<SortKey> ParseSort(std::string_view text) {
    std::vector<SortKey> keys;
    if (text::TrimWhite(text).empty()) return keys;
    for (const std::string& piece : text::Split(text, ",")) {
        std::string_view p = text::TrimWhite(piece);
        SortKey key;
        if (!p.empty() && p.front() == '[') {
            std::size_t close = p.find(']');
            if (close == std::string_view::npos) throw ExpressionError(msg::SortMissingBracket(piece));
            key.field = std::string(text::TrimBlanks(p.substr(1, close - 1)));
            p = text::TrimWhite(p.substr(close + 1));
        } else {
            std::size_t e = 0;
            while (e < p.size() && !IsSpace(p[e])) ++e;
            key.field = std::string(p.substr(0, e));
            p = text::TrimWhite(p.substr(e));
            if (text::EqualsIgnoreCase(key.field, "asc") || text::EqualsIgnoreCase(key.field, "desc"))
                throw ExpressionError(msg::SortFieldMissingBefore(key.field));
        }
        if (key.field.empty()) throw ExpressionError(msg::InvalidSort(msg::kEmptyFieldName));
        if (text::EqualsIgnoreCase(p, "desc")) {
            key.descending = true;
        } else if (!p.empty() && !text::EqualsIgnoreCase(p, "asc")) {
            throw ExpressionError(msg::SortExpectedDirection(key.field, std::string(p)));
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

}  // namespace orvane::data
