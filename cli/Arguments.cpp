#include "Arguments.h"

#include <optional>
#include <string_view>
#include <utility>

#include "Texts.h"

namespace orvane::cli {
namespace {

constexpr const char* kOptionsGroup = "Opciones";
constexpr const char* kCommandsGroup = "Órdenes";

// The parser's messages are taken apart by hand: std::regex makes g++ 12
// warn falsely (maybe-uninitialized) under the sanitizers.

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Every whole word `word` of s replaced by `label`.
std::string ReplaceWord(std::string s, std::string_view word, std::string_view label) {
    for (std::size_t at = s.find(word); at != std::string::npos; at = s.find(word, at)) {
        const std::size_t end = at + word.size();
        if ((at > 0 && IsWordChar(s[at - 1])) || (end < s.size() && IsWordChar(s[end]))) {
            at = end;
            continue;
        }
        s.replace(at, word.size(), label);
        at += label.size();
    }
    return s;
}

// The parser's type names as the help shows them ("TEXT:{text,json}" too).
std::string Relabel(std::string s) {
    s = ReplaceWord(std::move(s), "TEXT", "TEXTO");
    s = ReplaceWord(std::move(s), "UINT", "N");
    return ReplaceWord(std::move(s), "INT", "N");
}

// s as PREFIX + first + MIDDLE + second + SUFFIX, split at the last MIDDLE
// (as a greedy pattern would); nullopt when it is not so.
std::optional<std::pair<std::string, std::string>> Split(const std::string& s, std::string_view prefix,
                                                         std::string_view middle, std::string_view suffix = "") {
    if (!s.starts_with(prefix) || !s.ends_with(suffix) || s.size() < prefix.size() + suffix.size()) return std::nullopt;
    const std::string_view body = std::string_view(s).substr(prefix.size(), s.size() - prefix.size() - suffix.size());
    const std::size_t at = body.rfind(middle);
    if (at == std::string_view::npos) return std::nullopt;
    return std::pair(std::string(body.substr(0, at)), std::string(body.substr(at + middle.size())));
}

class SpanishFormatter : public CLI::Formatter {
public:
    SpanishFormatter() {
        label("Usage", "Uso");
        label("OPTIONS", "OPCIONES");
        label("SUBCOMMAND", "ORDEN");
        label("SUBCOMMANDS", "ÓRDENES");
        label("Positionals", "Argumentos");
        label("REQUIRED", "OBLIGATORIO");
        label("Needs", "Necesita");
        label("Excludes", "Excluye");
    }
    std::string make_option_opts(const CLI::Option* opt) const override {
        return Relabel(CLI::Formatter::make_option_opts(opt));
    }
};

// "NAME: rest" split at the first ": ".
std::pair<std::string, std::string> NameAndRest(const std::string& what) {
    const auto colon = what.find(": ");
    if (colon == std::string::npos) return {what, ""};
    return {what.substr(0, colon), what.substr(colon + 2)};
}

// "{text,json}" as "text o json".
std::string Choices(std::string set) {
    set = set.substr(1, set.size() - 2);
    const auto last = set.rfind(',');
    std::string out;
    for (std::size_t i = 0; i < set.size(); ++i)
        out += i == last ? std::string(msg::kOr) : set[i] == ',' ? std::string(", ") : std::string(1, set[i]);
    return out;
}

std::string ValidationText(const std::string& what) {
    const auto [name, rest] = NameAndRest(what);
    if (const auto m = Split(rest, "", " not in {", "}"))
        return msg::ValueNotOneOf(name, m->first, Choices("{" + m->second + "}"));
    return rest.empty() ? msg::kArgumentsInvalid : rest;  // our own validators' texts
}

std::string ConversionText(const std::string& what) {
    if (const auto m = Split(what, "The value ", " is not an allowed value for "))
        return msg::ValueNotAllowed(m->second, m->first);
    if (const auto m = Split(what, "Could not convert: ", " = ")) return msg::ValueNotAllowed(m->first, m->second);
    return msg::OptionValueInvalid(NameAndRest(what).first);
}

}  // namespace

void UseSpanishHelp(CLI::App& app) {
    app.formatter(std::make_shared<SpanishFormatter>());
    app.option_defaults()->group(kOptionsGroup);
    app.set_help_flag("-h,--help", msg::kHelpFlag);
    app.group(kCommandsGroup);
}

void FinishSpanishHelp(CLI::App& app) {
    for (CLI::App* sub : app.get_subcommands({}))
        if (CLI::Option* help = sub->get_help_ptr()) help->group(kOptionsGroup);
}

std::string ArgumentErrorText(const CLI::ParseError& e) {
    const std::string what = e.what();
    if (dynamic_cast<const CLI::RequiredError*>(&e)) {
        if (what.starts_with("A subcommand") || what.starts_with("Requires at least")) return msg::kCommandMissing;
        if (what.ends_with(" is required")) return msg::ArgumentMissing(what.substr(0, what.size() - 12));
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) return msg::ArgumentsNotExpected(NameAndRest(what).second);
    if (dynamic_cast<const CLI::ValidationError*>(&e)) return ValidationText(what);
    if (dynamic_cast<const CLI::ConversionError*>(&e)) return ConversionText(what);
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        // "Expected N arguments to NAME, got M"
        const auto got = Split(what, "Expected ", ", got ");
        const auto to = got ? Split(got->first, "", " arguments to ") : std::nullopt;
        return msg::ValueMissing(to ? to->second : NameAndRest(what).first);
    }
    return msg::kArgumentsInvalid;
}

}  // namespace orvane::cli
