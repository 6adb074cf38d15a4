// The macro scan of the report definition and the macro replacement of
// record sources.
#include <orvanespt/data/Macros.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/SystemUser.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

constexpr std::string_view kDelimiters = " {}[]+-*/<>=!(),;:?'&\"";

// Print macros are filled in by the printing host, page by page.
bool IsPrintMacro(std::string_view lowered) {
    return lowered == "pagenumber" || lowered == "numpagina" || lowered == "pages" || lowered == "paginas" ||
           lowered == "datetime" || lowered == "fechahora";
}

// The replacement of a system macro, or nullopt when the name is not one.
std::optional<std::string> SystemMacroValue(std::string_view lowered) {
    if (lowered == "date" || lowered == "fecha") return "DATE()";
    if (lowered == "time" || lowered == "hora") return "TIME()";
    if (lowered == "winuser" || lowered == "usuariowin") return text::Concat({"'", platform::OsUserName(), "'"});
    if (lowered == "winpcname" || lowered == "nombrepcwin") return text::Concat({"'", platform::OsComputerName(), "'"});
    return std::nullopt;
}

// Every target in current replaced by value, or current unchanged when the
// result would pass kMaxReplacedMacroText (counted before anything is built).
std::string ReplaceWithin(const std::string& current, const std::string& target, const std::string& value) {
    std::size_t hits = 0;
    for (std::size_t at = current.find(target); at != std::string::npos; at = current.find(target, at + target.size()))
        ++hits;
    if (hits == 0) return current;
    if (value.size() > target.size()) {
        const std::size_t room = data::kMaxReplacedMacroText - std::min(current.size(), data::kMaxReplacedMacroText);
        if ((value.size() - target.size()) > room / hits) return current;
    }
    return text::ReplaceAll(current, target, value);
}

// One token's replacement in the current text; the text unchanged when the
// token is skipped.
std::string ReplaceToken(const Orvane& rpt, const std::string& current, const std::string& token) {
    const std::string m(text::TrimBlanks(token));
    const std::string target = "@" + token;
    if (m.find('.') != std::string::npos) return current;  // a field reference: source.field
    const std::string lowered = text::Lower(m);
    if (IsPrintMacro(lowered)) return current;
    if (auto value = SystemMacroValue(lowered)) return ReplaceWithin(current, target, *value);

    std::string name = m;
    std::erase_if(name, [](char c) { return c == '{' || c == '}'; });
    const auto param = rpt.GetParameter(name);
    if (!param) return current;
    if (m.find('{') == std::string::npos) return ReplaceWithin(current, target, param->SQLExpresion());
    // The braced form inserts the raw value, a list its values joined by ", "
    // (nothing for an empty list); a value without a text form (null, an
    // object) cannot be inserted and the token is skipped.
    if (!param->Values) {
        const auto raw = param->Value.Text();
        return raw ? ReplaceWithin(current, target, *raw) : current;
    }
    std::string raw;
    for (std::size_t i = 0; i < param->Values->size(); ++i) {
        const auto t = (*param->Values)[i].Text();
        if (!t) return current;
        raw += (i ? ", " : "") + *t;
    }
    return ReplaceWithin(current, target, raw);
}

}  // namespace

namespace data {

bool IsMacroDelimiter(char c) {
    return kDelimiters.find(c) != std::string_view::npos;
}

bool IsReservedMacro(std::string_view name) {
    const std::string lowered = text::Lower(std::string(text::TrimBlanks(name)));
    return IsPrintMacro(lowered) || lowered == "date" || lowered == "fecha" || lowered == "time" || lowered == "hora" ||
           lowered == "winuser" || lowered == "usuariowin" || lowered == "winpcname" || lowered == "nombrepcwin";
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

}  // namespace data

std::vector<std::string> Orvane::GetMacros(const std::string& S) const {
    std::vector<std::string> tokens;
    std::size_t p = 0;
    // Every round moves p at least two characters on, so the bound on the
    // rounds only guards against a mistake here.
    for (std::size_t round = 0; round < S.size(); ++round) {
        const std::size_t at = S.find('@', p);
        if (at == std::string::npos || at + 1 >= S.size()) break;
        std::string token;
        std::size_t end = at + 1;
        if (S[at + 1] == '{') {
            end = S.find('}', at + 2);
            if (end == std::string::npos) break;  // unclosed: nothing from here on is a macro
            std::string inner = S.substr(at + 2, end - at - 2);
            std::replace(inner.begin(), inner.end(), '\t', ' ');
            token = "{" + inner + "}";
        } else {
            while (end < S.size() && !data::IsMacroDelimiter(S[end])) ++end;
            token = S.substr(at + 1, end - at - 1);
        }
        if (!text::TrimBlanks(token).empty()) tokens.push_back(std::move(token));
        p = end + 1;
    }
    return tokens;
}

std::string eRSource::ReplaceMacros(const std::string& sSql) const {
    if (sSql.find('@') == std::string::npos) return sSql;  // no macro: the common case of every reopen
    const auto cnn = eCnn.lock();
    const auto rpt = cnn ? cnn->RPTParent.lock() : nullptr;
    if (!rpt) return sSql;
    std::string out = sSql;
    // A token met again was replaced everywhere the first time; what its
    // target still matches came in with a value, and is left as it is.
    // A text holds a few tokens: a list beats hashing them.
    const std::vector<std::string> tokens = rpt->GetMacros(sSql);
    std::vector<std::string_view> done;
    for (const auto& token : tokens) {
        if (std::find(done.begin(), done.end(), token) != done.end()) continue;
        done.push_back(token);
        try {
            out = ReplaceToken(*rpt, out, token);
        } catch (...) {
            // A token that cannot be replaced stays in the text; the next is tried.
        }
    }
    return out;
}

}  // namespace orvane
