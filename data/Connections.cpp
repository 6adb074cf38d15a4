// Connection-string macros, data-link files and the opening of report
// connections.
#include "data/Connections.h"

#include "platform/RuntimeServices.h"
#include "platform/Text.h"

namespace orvane::data {
namespace {

constexpr const char* kApplicationDb = "@gtCnnManager.ApplicationDb";
constexpr const char* kBriscoDb = "@gtCnnManager.oldBriscoDb";
constexpr const char* kMaltevaDb = "@gtCnnManager.oldMaltevaDb";
constexpr const char* kDataLinkFile = "@DataLinkFile";

std::string ArgumentOf(const std::string& text, const std::string& macro) {
    return text::ReplaceAll(text::ReplaceAll(text, macro + "(\"", ""), "\")", "");
}

}  // namespace

std::int16_t ConnectionKind(const std::string& text) {
    if (text == kBriscoDb) return 2;
    if (text == kMaltevaDb) return 3;
    if (text.find(kApplicationDb) != std::string::npos) return 1;
    if (text.find(kDataLinkFile) != std::string::npos) return 4;
    return 5;
}

std::string ApplicationNameOf(const std::string& text) {
    return ArgumentOf(text, kApplicationDb);
}

std::string DataLinkPathOf(const std::string& text) {
    return ArgumentOf(text, kDataLinkFile);
}

std::string ReadDataLinkFile(const std::string& path) {
    const auto bytes = platform::RuntimeServices::ReadTextFile(path);
    if (!bytes) return "";
    const std::string content = platform::RuntimeServices::ConvertDataLinkText(*bytes);
    return DropLinesStartingWith(DropLinesStartingWith(content, "[oledb]"), ";");
}

std::string DropLinesStartingWith(const std::string& text, const std::string& prefix) {
    std::string out;
    for (const auto& line : platform::SplitLines(text)) {
        const std::string_view kept = text::TrimBlanks(line);
        if (kept.starts_with(prefix)) continue;
        out.append(kept);
        out.append("\r\n");
    }
    return out;
}

}  // namespace orvane::data
