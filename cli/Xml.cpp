// orvane xml FILE
#include <iostream>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"

namespace orvane::cli {

void Xml(const std::string& file) {
    auto rpt = LoadDefinition(file);
    HidePasswords(*rpt);
    const std::string text = rpt->ToXML();
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
    std::cout.flush();
    if (!std::cout) throw CliError(msg::NotWritten(msg::kTheXml));
}

}  // namespace orvane::cli
