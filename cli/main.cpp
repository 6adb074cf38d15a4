// orvane: the command-line host. It parses the arguments and hands each
// command to its function; failures end with one line on standard error.
//
// Exit status: 0 success, 1 the command failed, 2 the arguments were wrong.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "Arguments.h"
#include "Commands.h"
#include "RunCommand.h"
#include "Support.h"
#include "Texts.h"
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

namespace msg = orvane::cli::msg;

void DefineCommands(CLI::App& app, Arguments& a) {
    orvane::cli::UseSpanishHelp(app);
    app.require_subcommand(1);
    auto* show = app.add_subcommand("show", msg::kShow);
    show->add_option("ARCHIVO", a.file, msg::kFileArg)->required();
    show->add_flag("--detailed", a.detailed, msg::kShowDetailed);

    auto* xml = app.add_subcommand("xml", msg::kXml);
    xml->add_option("ARCHIVO", a.file, msg::kFileArg)->required();

    auto* grid = app.add_subcommand("grid", msg::kGrid);
    grid->add_option("ARCHIVO", a.file, msg::kFileArg)->required();
    grid->add_option("CONTROL", a.control, msg::kGridControl)->required();

    auto* pack = app.add_subcommand("pack", msg::kPack);
    pack->add_option("XML", a.file, msg::kPackXml)->required();
    pack->add_option("-o,--output", a.out, msg::kPackOutput)->required();
    a.picture = pack->add_option("--picture", a.pictures, msg::kPackPicture)->allow_extra_args(false);
    a.text = pack->add_option("--text", a.texts, msg::kPackText)->allow_extra_args(false);

    orvane::cli::AddRunCommand(app, a.run);
    orvane::cli::AddConnectionsCommand(app, a.connections);
    orvane::cli::AddCheckCommand(app, a.check);
    orvane::cli::FinishSpanishHelp(app);
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
    CLI::App app{msg::kProgram, "orvane"};
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
            std::cerr << "orvane: " << Private(msg::UnknownCommand(argv[1])) << "\n";
            return kUsage;
        }
        std::cerr << "orvane: " << Private(orvane::cli::ArgumentErrorText(e)) << msg::kSeeHelp << "\n";
        return kUsage;
    }
    orvane::platform::SetMessageSink(std::shared_ptr<orvane::platform::MessageSink>(
        &orvane::cli::Messages(), [](orvane::platform::MessageSink*) {}));
    try {
        return Run(app, args);
    } catch (const orvane::cli::CliError& e) {
        std::cerr << "orvane: " << Private(e.what()) << "\n";
    } catch (const std::exception& e) {
        std::cerr << "orvane: " << Private(msg::UnexpectedFailure(e.what())) << "\n";
    }
    return kFailed;
}
