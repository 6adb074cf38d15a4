#include "Arguments.h"

#include <regex>

#include "Texts.h"

namespace orvane::cli {
namespace {

constexpr const char* kOptionsGroup = "Opciones";
constexpr const char* kCommandsGroup = "Órdenes";

// The parser's type names as the help shows them ("TEXT:{text,json}" too).
std::string Relabel(std::string s) {
    static const std::pair<std::regex, const char*> kTypes[] = {{std::regex(R"(\bTEXT\b)"), "TEXTO"},
                                                                {std::regex(R"(\bU?INT\b)"), "N"}};
    for (const auto& [type, label] : kTypes) s = std::regex_replace(s, type, label);
    return s;
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
    if (last != std::string::npos) set.replace(last, 1, msg::kOr);
    return std::regex_replace(set, std::regex(","), ", ");
}

std::string ValidationText(const std::string& what) {
    const auto [name, rest] = NameAndRest(what);
    static const std::regex kNotIn(R"((.*) not in (\{.*\}))");
    std::smatch m;
    if (std::regex_match(rest, m, kNotIn)) return msg::ValueNotOneOf(name, m[1], Choices(m[2]));
    return rest.empty() ? msg::kArgumentsInvalid : rest;  // our own validators' texts
}

std::string ConversionText(const std::string& what) {
    static const std::regex kNotAllowed(R"(The value (.*) is not an allowed value for (.*))");
    static const std::regex kNotConverted(R"(Could not convert: (.*) = (.*))");
    std::smatch m;
    if (std::regex_match(what, m, kNotAllowed)) return msg::ValueNotAllowed(m[2], m[1]);
    if (std::regex_match(what, m, kNotConverted)) return msg::ValueNotAllowed(m[1], m[2]);
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
        static const std::regex kExpected(R"(Expected .* arguments to (.*), got .*)");
        std::smatch m;
        return msg::ValueMissing(std::regex_match(what, m, kExpected) ? m[1].str() : NameAndRest(what).first);
    }
    return msg::kArgumentsInvalid;
}

}  // namespace orvane::cli
