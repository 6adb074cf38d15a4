// The macro scan of the report definition and the macro replacement of
// record sources.
#include <orvanespt/data/Macros.h>
#include <orvanespt/data/detail/MacroNames.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/SystemUser.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

constexpr std::string_view kDelimiters = " {}[]+-*/<>=!(),;:?'&\"";

// kDelimiters as a table by byte, for the scan of every query of a walk.
constexpr std::array<bool, 256> kIsDelimiter = [] {
    std::array<bool, 256> t{};
    for (const char c : kDelimiters) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

// The names below are ASCII, so a name matches one when it is equal but for
// ASCII case: folding any other letter never gives an ASCII one.
bool NameIs(std::string_view name, std::string_view lowered) {
    return text::EqualsIgnoreCaseAscii(name, lowered);
}

// Print macros are filled in by the printing host, page by page.
bool IsPrintMacro(std::string_view name) {
    return NameIs(name, "pagenumber") || NameIs(name, "numpagina") || NameIs(name, "pages") ||
           NameIs(name, "paginas") || NameIs(name, "datetime") || NameIs(name, "fechahora");
}

// The replacement of a system macro, or nullopt when the name is not one.
std::optional<std::string> SystemMacroValue(std::string_view name) {
    if (NameIs(name, "date") || NameIs(name, "fecha")) return "DATE()";
    if (NameIs(name, "time") || NameIs(name, "hora")) return "TIME()";
    if (NameIs(name, "winuser") || NameIs(name, "usuariowin")) return text::Concat({"'", platform::OsUserName(), "'"});
    if (NameIs(name, "winpcname") || NameIs(name, "nombrepcwin"))
        return text::Concat({"'", platform::OsComputerName(), "'"});
    return std::nullopt;
}

// Calls fn with each macro token of S in order, as GetMacros lists them. A
// token is a view into S, except a braced one holding a tab, whose tabs read
// as blanks: that one is a view into scratch, valid until the next call.
template <class Fn>
void ForEachMacro(std::string_view S, std::string& scratch, Fn&& fn) {
    std::size_t p = 0;
    // Every round moves p at least two characters on, so the bound on the
    // rounds only guards against a mistake here.
    for (std::size_t round = 0; round < S.size(); ++round) {
        const std::size_t at = S.find('@', p);
        if (at == std::string_view::npos || at + 1 >= S.size()) break;
        std::string_view token;
        std::size_t end = at + 1;
        if (S[at + 1] == '{') {
            end = S.find('}', at + 2);
            if (end == std::string_view::npos) break;  // unclosed: nothing from here on is a macro
            token = S.substr(at + 1, end - at);
            if (token.find('\t') != std::string_view::npos) {
                scratch.assign(token);
                std::replace(scratch.begin(), scratch.end(), '\t', ' ');
                token = scratch;
            }
        } else {
            while (end < S.size() && !kIsDelimiter[static_cast<unsigned char>(S[end])]) ++end;
            token = S.substr(at + 1, end - at - 1);
        }
        if (!text::TrimBlanks(token).empty()) fn(token);
        p = end + 1;
    }
}

// The text being replaced: the original until a first replacement, then a
// text built apart, so that a walk's query is copied once, not twice.
class Replacing {
public:
    explicit Replacing(std::string_view original) : original_(original) {}
    std::string_view Current() const { return changed_ ? std::string_view(text_) : original_; }
    std::string Take() { return changed_ ? std::move(text_) : std::string(original_); }

    // Replaces every target by value; nothing when the result would pass
    // kMaxReplacedMacroText (counted before anything is built).
    void Within(std::string_view target, std::string_view value) {
        const std::string_view in = Current();
        const std::size_t first = in.find(target);
        if (first == std::string_view::npos) return;
        if (value.size() > target.size()) {
            std::size_t hits = 0;
            for (std::size_t at = first; at != std::string_view::npos; at = in.find(target, at + target.size()))
                ++hits;
            const std::size_t room = data::kMaxReplacedMacroText - std::min(in.size(), data::kMaxReplacedMacroText);
            if ((value.size() - target.size()) > room / hits) return;
        }
        spare_.clear();
        spare_.reserve(in.size() + value.size());
        std::size_t from = 0;
        for (std::size_t at = first; at != std::string_view::npos; at = in.find(target, from)) {
            spare_.append(in, from, at - from);
            spare_.append(value);
            from = at + target.size();
        }
        spare_.append(in, from);
        text_.swap(spare_);
        changed_ = true;
    }

private:
    std::string_view original_;
    std::string text_, spare_;
    bool changed_ = false;
};

// Replaces one token's macro in text; text stays as it is when the token is
// skipped.
void ReplaceToken(const Orvane& rpt, Replacing& text, std::string_view token) {
    const std::string_view m = text::TrimBlanks(token);
    if (m.find('.') != std::string_view::npos) return;  // a field reference: source.field
    if (IsPrintMacro(m)) return;
    std::string target;
    target.reserve(token.size() + 1);
    target += '@';
    target += token;
    if (auto value = SystemMacroValue(m)) return text.Within(target, *value);

    std::string name(m);
    std::erase_if(name, [](char c) { return c == '{' || c == '}'; });
    const eParameter* param = rpt.FindParameter(name);
    if (!param) return;
    if (m.find('{') == std::string_view::npos) return text.Within(target, param->SQLExpresion());
    // The braced form inserts the raw value, a list its values joined by ", "
    // (nothing for an empty list); a value without a text form (null, an
    // object) cannot be inserted and the token is skipped.
    if (!param->Values) {
        const auto raw = param->Value.Text();
        if (raw) text.Within(target, *raw);
        return;
    }
    std::string raw;
    for (std::size_t i = 0; i < param->Values->size(); ++i) {
        const auto t = (*param->Values)[i].Text();
        if (!t) return;
        if (i) raw += ", ";
        raw += *t;
    }
    text.Within(target, raw);
}

}  // namespace

namespace data {

bool IsMacroDelimiter(char c) {
    return kIsDelimiter[static_cast<unsigned char>(c)];
}

bool IsReservedMacro(std::string_view name) {
    const std::string_view m = text::TrimBlanks(name);
    return IsPrintMacro(m) || NameIs(m, "date") || NameIs(m, "fecha") || NameIs(m, "time") || NameIs(m, "hora") ||
           NameIs(m, "winuser") || NameIs(m, "usuariowin") || NameIs(m, "winpcname") || NameIs(m, "nombrepcwin");
}

std::vector<std::string> UnknownMacros(const Orvane& rpt, const std::string& text) {
    std::vector<std::string> unknown;
    if (text.find('@') == std::string::npos) return unknown;
    for (const auto& token : rpt.GetMacros(text)) {
        const std::string m(text::TrimBlanks(token));
        if (m.find('.') != std::string::npos) continue;
        const bool braced = m.find('{') != std::string::npos;
        if (!braced && IsReservedMacro(m)) continue;
        std::string name = m;
        std::erase_if(name, [](char c) { return c == '{' || c == '}'; });
        if (rpt.FindParameter(name)) continue;
        if (std::find(unknown.begin(), unknown.end(), token) == unknown.end()) unknown.push_back(token);
    }
    return unknown;
}

std::size_t UnclosedMacroAt(const std::string& text) {
    for (std::size_t at = text.find("@{"); at != std::string::npos; at = text.find("@{", at + 2)) {
        const std::size_t end = text.find('}', at + 2);
        if (end == std::string::npos) return at;
        at = end - 1;
    }
    return std::string::npos;
}

namespace detail {

bool MacroParameterNames(std::string_view text, std::vector<std::string>& names) {
    bool onlyParameters = true;
    std::string scratch;
    ForEachMacro(text, scratch, [&](std::string_view token) {
        const std::string_view m = text::TrimBlanks(token);
        if (m.find('.') != std::string_view::npos || IsPrintMacro(m)) return;
        if (IsReservedMacro(m)) {
            onlyParameters = false;
            return;
        }
        std::string name(m);
        std::erase_if(name, [](char c) { return c == '{' || c == '}'; });
        names.push_back(std::move(name));
    });
    return onlyParameters;
}

}  // namespace detail
}  // namespace data

std::vector<std::string> Orvane::GetMacros(const std::string& S) const {
    std::vector<std::string> tokens;
    std::string scratch;
    ForEachMacro(S, scratch, [&](std::string_view token) { tokens.emplace_back(token); });
    return tokens;
}

std::string eRSource::ReplaceMacros(const std::string& sSql) const {
    if (sSql.find('@') == std::string::npos) return sSql;  // no macro: the common case of every reopen
    const auto cnn = eCnn.lock();
    const auto rpt = cnn ? cnn->RPTParent.lock() : nullptr;
    if (!rpt) return sSql;
    // A walk replaces the macros of every child query at every record, so
    // the tokens are views into sSql and the text is rebuilt in place.
    Replacing out(sSql);
    std::string scratch;
    // A token met again was replaced everywhere the first time; what its
    // target still matches came in with a value, and is left as it is.
    // A text holds a few tokens: a list beats hashing them, and the first
    // few need no room of their own. A braced token read with blanks for its
    // tabs is kept whole, being no view into sSql.
    std::array<std::string_view, 8> firstDone;
    std::size_t doneCount = 0;
    std::vector<std::string> moreDone;
    ForEachMacro(sSql, scratch, [&](std::string_view token) {
        const auto seen = firstDone.begin() + static_cast<std::ptrdiff_t>(std::min(doneCount, firstDone.size()));
        if (std::find(firstDone.begin(), seen, token) != seen ||
            std::find(moreDone.begin(), moreDone.end(), token) != moreDone.end())
            return;
        if (token.data() != scratch.data() && doneCount < firstDone.size())
            firstDone[doneCount++] = token;
        else
            moreDone.emplace_back(token);
        try {
            ReplaceToken(*rpt, out, token);
        } catch (...) {
            // A token that cannot be replaced stays in the text; the next is tried.
        }
    });
    return out.Take();
}

}  // namespace orvane
