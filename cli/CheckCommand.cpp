// orvane check: the mistakes of a report definition, one line each.
//
// Exit status: 0 nothing found, 1 something found, 2 the file cannot be read
// (information lines alone leave it 0).
//
// JSON form: {"file": FILE, "findings": [FINDING, ...]}
//   FINDING = {"kind": ID, "severity": "error"|"info", "place": [{"kind": ID, "name": NAME}, ...],
//              "where": TEXT, "name": NAME, "message": TEXT}
#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"
#include <orvanespt/data/ReportCheck.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane::cli {

CLI::App* AddCheckCommand(CLI::App& app, CheckOptions& o) {
    auto* cmd = app.add_subcommand("check", msg::kCheck);
    cmd->add_option("ARCHIVO", o.file, msg::kFileArg)->required();
    cmd->add_flag("--open", o.open, msg::kCheckOpen);
    cmd->add_option("--format", o.format, msg::kFormatArg)->check(CLI::IsMember({"text", "json"}));
    return cmd;
}

int Check(const CheckOptions& o) {
    std::shared_ptr<Orvane> rpt;
    try {
        rpt = LoadDefinition(o.file);
    } catch (const CliError& e) {
        std::cerr << "orvane: " << platform::ScrubPasswords(e.what()) << "\n";
        return kCheckUnreadable;
    }
    data::CheckOptions options;
    options.open = o.open;
    options.keepsRows = [](const eRSource& rs) { return rs.KeepsRows(); };
    const auto findings = data::CheckReport(*rpt, options);
    bool errors = false;
    auto list = nlohmann::ordered_json::array();
    for (const auto& f : findings) {
        errors = errors || f.severity == data::Severity::Error;
        // A connection string may reach a message through the provider.
        const std::string message = text::OneLine(platform::ScrubPasswords(f.message));
        const std::string where = data::PlaceText(f.place);
        if (o.format != "json") {
            std::cout << where << (f.severity == data::Severity::Info ? msg::kInfo : ": ") << message << "\n";
            continue;
        }
        auto place = nlohmann::ordered_json::array();
        for (const auto& step : f.place) place.push_back({{"kind", data::PlaceKindId(step.kind)}, {"name", step.name}});
        list.push_back({{"kind", data::KindId(f.kind)},
                        {"severity", data::SeverityId(f.severity)},
                        {"place", place},
                        {"where", where},
                        {"name", platform::ScrubPasswords(f.name)},
                        {"message", message}});
    }
    if (o.format == "json")
        std::cout << nlohmann::ordered_json{{"file", o.file}, {"findings", list}}.dump(
                         2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << "\n";
    else if (!errors)
        std::cout << msg::kNoErrors << "\n";
    return errors ? kCheckFound : 0;
}

}  // namespace orvane::cli
