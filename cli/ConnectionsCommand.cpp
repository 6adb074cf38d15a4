// orvane connections: what each connection of a report resolves to and,
// with --open, whether it opens and why not.
#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"
#include <orvanespt/data/ConnectionInfo.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Text.h>

namespace orvane::cli {

CLI::App* AddConnectionsCommand(CLI::App& app, ConnectionsOptions& o) {
    auto* cmd = app.add_subcommand("connections", msg::kConnections);
    cmd->add_option("ARCHIVO", o.file, msg::kFileArg)->required();
    cmd->add_flag("--open", o.open, msg::kConnectionsOpen);
    cmd->add_option("--format", o.format, msg::kFormatArg)->check(CLI::IsMember({"text", "json"}));
    return cmd;
}

int Connections(const ConnectionsOptions& o) {
    const auto rpt = LoadDefinition(o.file);
    auto list = nlohmann::ordered_json::array();
    bool failed = false;
    for (const auto& cnn : *rpt->eConections) {
        if (!cnn) continue;
        const data::ConnectionInfo info = data::DescribeConnection(*cnn, o.open);
        failed = failed || (o.open && !info.Opened);
        nlohmann::ordered_json item{{"name", cnn->Name}, {"kind", info.Kind}, {"kind_text", data::KindText(info)}};
        if (!info.Via.empty()) item["via"] = info.Via;
        item["resolves_to"] = info.Resolved;
        if (o.open) item["opened"] = info.Opened;
        if (!info.Problem.empty()) item["problem"] = text::OneLine(info.Problem);
        if (o.format == "json") {
            list.push_back(item);
            continue;
        }
        std::cout << cnn->Name << " [" << data::KindText(info) << "]";
        if (!info.Via.empty()) std::cout << msg::kVia << info.Via;
        if (!info.Resolved.empty()) std::cout << ": " << info.Resolved;
        if (o.open) std::cout << (info.Opened ? msg::kOpened : msg::kNotOpened);
        if (!info.Problem.empty()) std::cout << ": " << text::OneLine(info.Problem);
        std::cout << "\n";
    }
    if (o.format == "json") std::cout << list.dump(2) << "\n";
    return failed ? 1 : 0;
}

}  // namespace orvane::cli
