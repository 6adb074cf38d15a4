// orvane: the command-line host. It parses the arguments and hands each
// command to its function; failures end with one line on standard error.
//
// Exit status: 0 success, 1 the command failed, 2 the arguments were wrong.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "RunCommand.h"
#include "Support.h"
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Secrets.h>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct Arguments {
    std::string file;
    std::string control;
    bool detailed = false;
    std::string out;
    std::vector<std::string> pictures, texts;
    CLI::Option* picture = nullptr;
    CLI::Option* text = nullptr;
    orvane::cli::RunOptions run;
    orvane::cli::ConnectionsOptions connections;
    orvane::cli::CheckOptions check;
};

// The resources in command-line order, pictures and texts mixed.
std::vector<orvane::cli::PackResource> ResourcesInOrder(const CLI::App& pack, const Arguments& a) {
    std::vector<orvane::cli::PackResource> out;
    std::size_t p = 0, t = 0;
    for (const CLI::Option* o : pack.parse_order()) {
        if (o == a.picture && p < a.pictures.size()) out.push_back({true, a.pictures[p++]});
        if (o == a.text && t < a.texts.size()) out.push_back({false, a.texts[t++]});
    }
    return out;
}

void DefineCommands(CLI::App& app, Arguments& a) {
    app.require_subcommand(1);
    auto* show = app.add_subcommand("show", "Print the report's tree, one item per line");
    show->add_option("FILE", a.file, "Report package (.xpd) or definition XML")->required();
    show->add_flag("--detailed", a.detailed, "Also list the items' main properties");

    auto* xml = app.add_subcommand("xml", "Print the report's definition XML");
    xml->add_option("FILE", a.file, "Report package (.xpd) or definition XML")->required();

    auto* grid = app.add_subcommand("grid", "Print the table layout linked to a print-grid control");
    grid->add_option("FILE", a.file, "Report package (.xpd) or definition XML")->required();
    grid->add_option("CONTROL-NAME", a.control, "Name of the print-grid control")->required();

    auto* pack = app.add_subcommand("pack", "Pack a definition XML and resources into a report package");
    pack->add_option("XML", a.file, "Definition XML")->required();
    pack->add_option("-o,--output", a.out, "Package to write")->required();
    a.picture =
        pack->add_option("--picture", a.pictures, "Picture resource NAME=PATH (repeatable)")->allow_extra_args(false);
    a.text = pack->add_option("--text", a.texts, "Text resource NAME=PATH (repeatable)")->allow_extra_args(false);

    orvane::cli::AddRunCommand(app, a.run);
    orvane::cli::AddConnectionsCommand(app, a.connections);
    orvane::cli::AddCheckCommand(app, a.check);
}

// An error text with password values hidden: the arguments it may repeat can
// hold connection strings.
std::string Private(const std::string& text) {
    return orvane::platform::ScrubPasswords(text);
}

int Run(const CLI::App& app, const Arguments& a) {
    if (app.got_subcommand("show")) orvane::cli::Show(a.file, a.detailed);
    if (app.got_subcommand("xml")) orvane::cli::Xml(a.file);
    if (app.got_subcommand("grid")) orvane::cli::Grid(a.file, a.control);
    if (app.got_subcommand("pack")) orvane::cli::Pack(a.file, a.out, ResourcesInOrder(*app.get_subcommand("pack"), a));
    if (app.got_subcommand("run")) orvane::cli::RunReport(a.run);
    if (app.got_subcommand("connections")) return orvane::cli::Connections(a.connections);
    if (app.got_subcommand("check")) return orvane::cli::Check(a.check);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Shows, converts, packs and runs report definitions", "orvane"};
    Arguments args;
    DefineCommands(app, args);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-') {
            std::cerr << "orvane: unknown command '" << Private(argv[1])
                      << "' (commands: show, xml, grid, pack, run, connections, check)\n";
            return kUsage;
        }
        std::cerr << "orvane: " << Private(e.what()) << " (see orvane --help)\n";
        return kUsage;
    }
    orvane::platform::SetMessageSink(std::shared_ptr<orvane::platform::MessageSink>(
        &orvane::cli::Messages(), [](orvane::platform::MessageSink*) {}));
    try {
        return Run(app, args);
    } catch (const orvane::cli::CliError& e) {
        std::cerr << "orvane: " << Private(e.what()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "orvane: unexpected failure: " << Private(e.what()) << "\n";
    }
    return kFailed;
}
