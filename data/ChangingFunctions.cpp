// The scan for functions whose result changes between runs. It reads SQL as
// the databases we reach write it, just enough to tell names from string
// literals, quoted names and comments; it does not parse. A name it cannot
// place in context (a column called "now", a table alias "rand") counts as
// the function: the query is then run again where its rows could have been
// kept, which costs time and never shows stale rows.
#include <orvanespt/data/ChangingFunctions.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include <orvanespt/platform/Text.h>

namespace orvane::data {
namespace {

// Called by name alone, with or without parentheses (CURRENT_TIMESTAMP and
// SYSDATE take none).
// clang-format off
constexpr std::string_view kChanging[] = {
    "random", "randomblob", "rand", "random_bytes", "setseed", "dbms_random", "crypt_gen_random",
    "newid", "newsequentialid", "uuid", "uuid_short", "gen_random_uuid", "sys_guid", "nextval",
    "now", "getdate", "getutcdate", "sysdatetime", "sysutcdatetime", "sysdatetimeoffset", "sysdate",
    "systimestamp", "current_timestamp", "current_date", "current_time", "localtimestamp", "localtime",
    "clock_timestamp", "statement_timestamp", "transaction_timestamp", "timeofday", "curdate", "curtime",
    "utc_timestamp", "utc_date", "utc_time"};
// clang-format on

// The current date or time only when called with no argument: date() is
// today, date(x) is a day of x.
constexpr std::string_view kChangingWithoutArguments[] = {"date",      "time",      "datetime",
                                                          "julianday", "unixepoch", "unix_timestamp"};

// Character classes by byte: the scan of every query a walk reads ahead
// looks each character up once.
enum : std::uint8_t { kNameStart = 1, kNamePart = 2, kOpensSomething = 4 };

constexpr std::array<std::uint8_t, 256> kClass = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
        if (start) t[c] = kNameStart | kNamePart;
        if ((c >= '0' && c <= '9') || c == '$') t[c] = kNamePart;
    }
    for (const char c : std::string_view("-/'\"`[")) t[static_cast<unsigned char>(c)] = kOpensSomething;
    return t;
}();

std::uint8_t ClassOf(char c) {
    return kClass[static_cast<unsigned char>(c)];
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The position after a comment starting at i, or i when none starts there.
std::size_t AfterComment(std::string_view s, std::size_t i) {
    if (s.substr(i, 2) == "--") {
        const std::size_t end = s.find('\n', i);
        return end == std::string_view::npos ? s.size() : end + 1;
    }
    if (s.substr(i, 2) == "/*") {
        const std::size_t end = s.find("*/", i + 2);
        return end == std::string_view::npos ? s.size() : end + 2;
    }
    return i;
}

// The position of the first character from i that is neither blank nor comment.
std::size_t SkipSpace(std::string_view s, std::size_t i) {
    for (;;) {
        while (i < s.size() && IsSpace(s[i])) ++i;
        const std::size_t after = AfterComment(s, i);
        if (after == i) return i;
        i = after;
    }
}

// The position after the quoted text opening at i; a closing quote doubled
// stands for itself. An unclosed quote runs to the end.
std::size_t AfterQuoted(std::string_view s, std::size_t i, char close) {
    for (++i; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (i + 1 < s.size() && s[i + 1] == close && close != ']') {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

template <std::size_t N>
bool Listed(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// Names are at most this long, and this table tells by length and first
// letter whether a name can be one of them: most names of a query (SELECT,
// its columns and tables) are let go without comparing.
constexpr std::size_t kLongest = 24;
using FirstLetters = std::array<std::uint32_t, kLongest + 1>;  // bit (letter - 'a') per length

template <std::size_t N>
constexpr void Mark(FirstLetters& t, const std::string_view (&names)[N]) {
    for (const std::string_view n : names) t[n.size()] |= 1u << (n[0] - 'a');
}

// The words of NEXT VALUE FOR, which are looked at too.
constexpr std::string_view kSequenceWords[] = {"next", "value", "for"};

constexpr FirstLetters kFirstLetters = [] {
    FirstLetters t{};
    Mark(t, kChanging);
    Mark(t, kChangingWithoutArguments);
    Mark(t, kSequenceWords);
    return t;
}();

// Whether a name of this length starting with this character can be one of
// the names looked at.
bool MayBeListed(std::size_t length, char first) {
    if (first >= 'A' && first <= 'Z') first = static_cast<char>(first - 'A' + 'a');
    return length <= kLongest && first >= 'a' && first <= 'z' && (kFirstLetters[length] >> (first - 'a') & 1u);
}

}  // namespace

std::string ChangingFunction(std::string_view sql) {
    // A walk asks for every query it reads ahead, so names are lowered into a
    // buffer, never allocated: a longer name is none of the listed ones.
    char lowered[kLongest];
    bool afterNext = false, afterNextValue = false;  // the names read last, for NEXT VALUE FOR
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        const std::uint8_t kind = ClassOf(c);
        if ((kind & (kNameStart | kOpensSomething)) == 0) {
            ++i;
        } else if (const std::size_t after = c == '-' || c == '/' ? AfterComment(sql, i) : i; after != i) {
            i = after;
        } else if (c == '\'') {
            const std::size_t end = AfterQuoted(sql, i, '\'');
            const bool closed = end > i + 1 && sql[end - 1] == '\'';
            const std::string_view literal = sql.substr(i + 1, (closed ? end - 1 : end) - (i + 1));
            if (text::EqualsIgnoreCaseAscii(text::TrimWhite(literal), "now")) return "'now'";
            i = end;
        } else if (c == '"' || c == '`' || c == '[') {
            i = AfterQuoted(sql, i, c == '[' ? ']' : c);
        } else if (kind & kNameStart) {
            std::size_t end = i + 1;
            while (end < sql.size() && (ClassOf(sql[end]) & kNamePart)) ++end;
            const std::size_t length = end - i;
            // Most names of a query (SELECT, its columns and tables) are let
            // go by their length and first letter, without being lowered.
            std::string_view name;
            if (MayBeListed(length, c)) {
                for (std::size_t k = 0; k < length; ++k) {
                    const char ch = sql[i + k];
                    lowered[k] = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
                }
                name = std::string_view(lowered, length);
            }
            const bool candidate = !name.empty();
            if (candidate && Listed(kChanging, name)) return std::string(name);
            if (candidate && Listed(kChangingWithoutArguments, name)) {
                const std::size_t open = SkipSpace(sql, end);
                if (open < sql.size() && sql[open] == '(') {
                    const std::size_t close = SkipSpace(sql, open + 1);
                    if (close < sql.size() && sql[close] == ')') return std::string(name) + "()";
                }
            }
            if (name == "for" && afterNextValue) return "next value for";
            afterNextValue = afterNext && name == "value";
            afterNext = name == "next";
            i = end;
        } else {
            ++i;
        }
    }
    return "";
}

}  // namespace orvane::data
