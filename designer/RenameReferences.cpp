#include <orvanespt/designer/RenameReferences.h>

#include <functional>
#include <optional>

#include <orvanespt/data/Macros.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    return text::EqualsIgnoreCase(text::TrimBlanks(a), text::TrimBlanks(b));
}

// The new text for a token's name: null to leave it. The name is the
// token's text without braces; braced tells which it was.
using NameChange = std::function<std::optional<std::string>(const std::string& name, bool braced)>;

// Walks the macro tokens as Orvane::GetMacros finds them, so a rename sees
// the same tokens a run replaces, and rewrites those change names.
std::string RewriteMacros(const std::string& text, const NameChange& change, int& count) {
    std::string out;
    std::size_t copied = 0, p = 0;
    while (p < text.size()) {
        const std::size_t at = text.find('@', p);
        if (at == std::string::npos || at + 1 >= text.size()) break;
        const bool braced = text[at + 1] == '{';
        std::size_t end = at + 1;
        if (braced) {
            end = text.find('}', at + 2);
            if (end == std::string::npos) break;  // unclosed: no macro from here on
        } else {
            while (end < text.size() && !data::IsMacroDelimiter(text[end])) ++end;
        }
        const std::size_t from = braced ? at + 2 : at + 1;
        if (auto renamed = change(text.substr(from, end - from), braced)) {
            out.append(text, copied, at - copied);
            out += *renamed;
            copied = braced ? end + 1 : end;
            ++count;
        }
        p = end + 1;
    }
    out.append(text, copied, std::string::npos);
    return out;
}

bool NeedsBraces(const std::string& name) {
    for (char c : name)
        if (data::IsMacroDelimiter(c) || c == '.' || c == '@' || c == '\t' || c == '\r' || c == '\n') return true;
    return name.empty();
}

// The macro for name, braced when it was or when name cannot stand plain;
// tail follows the name (".Field" of a field reference).
std::string Macro(const std::string& name, const std::string& tail, bool braced) {
    return braced || NeedsBraces(name) ? "@{" + name + tail + "}" : "@" + name + tail;
}

// Visits every record source of the definition, a connection's and a dialog's.
void EachRSource(Orvane& rpt, const std::function<void(eRSource&)>& visit) {
    auto each = [&visit](const std::shared_ptr<eRSource>& rs, int, bool) {
        visit(*rs);
        return true;
    };
    if (rpt.eConections)
        for (const auto& c : *rpt.eConections)
            if (c) WalkRSources(c->eRSources.get(), each);
    if (rpt.eDialogs)
        for (const auto& d : *rpt.eDialogs)
            if (d) WalkRSources(d->eRSources.get(), each);
}

// The SendParameters list with the entries naming from naming to.
std::string RenameSent(const std::string& list, const std::string& from, const std::string& to, int& count) {
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        const std::string entry = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const bool match = !text::TrimBlanks(entry).empty() && SameName(entry, from);
        count += match ? 1 : 0;
        out += match ? to : entry;
        if (comma == std::string::npos) return out;
        out += ',';
        start = comma + 1;
    }
}

ReferenceCount RenameIn(Orvane& rpt, bool apply, const std::function<std::string(const std::string&, int&)>& macros,
                        const std::function<void(eRSource&, ReferenceCount&)>& settings) {
    ReferenceCount count;
    EachRSource(rpt, [&](eRSource& rs) {
        for (std::string* text : {&rs.SQLCommand, &rs.Filter, &rs.Order}) {
            std::string renamed = macros(*text, count.macros);
            if (apply) *text = std::move(renamed);
        }
        ReferenceCount found;
        settings(rs, found);
        count.sent += found.sent;
        count.linked += found.linked;
    });
    return count;
}

}  // namespace

std::string RenameParameterMacros(const std::string& text, const std::string& from, const std::string& to, int& count) {
    return RewriteMacros(
        text,
        [&](const std::string& name, bool braced) -> std::optional<std::string> {
            if (!SameName(name, from) || (!braced && data::IsReservedMacro(name))) return std::nullopt;
            return Macro(to, {}, braced);
        },
        count);
}

std::string RenameRSourceMacros(const std::string& text, const std::string& from, const std::string& to, int& count) {
    return RewriteMacros(
        text,
        [&](const std::string& name, bool braced) -> std::optional<std::string> {
            const std::size_t dot = name.find('.');
            if (dot == std::string::npos || !SameName(name.substr(0, dot), from)) return std::nullopt;
            return Macro(to, name.substr(dot), braced);
        },
        count);
}

ReferenceCount RenameParameterReferences(Orvane& rpt, const std::string& from, const std::string& to, bool apply) {
    return RenameIn(
        rpt, apply, [&](const std::string& text, int& n) { return RenameParameterMacros(text, from, to, n); },
        [&](eRSource& rs, ReferenceCount& found) {
            std::string sent = RenameSent(rs.SendParameters, from, to, found.sent);
            if (apply) rs.SendParameters = std::move(sent);
            if (rs.idParameterLinked.empty() || !SameName(rs.idParameterLinked, from)) return;
            ++found.linked;
            if (apply) rs.idParameterLinked = to;
        });
}

ReferenceCount RenameRSourceReferences(Orvane& rpt, const std::string& from, const std::string& to, bool apply) {
    return RenameIn(
        rpt, apply, [&](const std::string& text, int& n) { return RenameRSourceMacros(text, from, to, n); },
        [](eRSource&, ReferenceCount&) {});
}

std::string RenameQuestion(const ReferenceCount& count, const std::string& from, const std::string& to) {
    if (count.Total() == 0) return {};
    std::string parts;
    auto part = [&parts](int n, const char* one, const char* many) {
        if (n == 0) return;
        if (!parts.empty()) parts += ", ";
        parts += std::to_string(n) + " " + (n == 1 ? one : many);
    };
    part(count.macros, "macro", "macros");
    part(count.sent, "entrada de SendParameters", "entradas de SendParameters");
    part(count.linked, "referencia de idParameterLinked", "referencias de idParameterLinked");
    return "El nombre \"" + from + "\" se usa en: " + parts + ". ¿Desea que también pasen a usar \"" + to + "\"?";
}

}  // namespace orvane::designer
