// orvane show FILE [--detailed]
#include <iostream>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"
#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/TextTree.h>

namespace orvane::cli {

void Show(const std::string& file, bool detailed) {
    auto rpt = LoadDefinition(file);
    HidePasswords(*rpt);
    OrvaneUI ui;
    ui.appearance = detailed ? 2 : 0;
    designer::TextTree tree;
    try {
        ui.ShowInTvw(*rpt, tree);
    } catch (const designer::TreeError& e) {
        throw CliError(msg::NotShownAsTree(file, e.what()));
    }
    std::cout << tree.Print() << std::flush;
    if (!std::cout) throw CliError(msg::NotWritten(msg::kTheTree));
}

}  // namespace orvane::cli
