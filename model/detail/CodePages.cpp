// The code page tables and the names they go by.
#include <orvanespt/model/detail/CodePages.h>

#include <string>
#include <utility>

namespace orvane::detail {
namespace {

struct NamedCodePage {
    std::string_view key;  // the name upper-cased, without "-"
    CodePageHigh high;
};

constexpr NamedCodePage kCodePages[] = {
#include <orvanespt/model/detail/CodePageTables.inc>
};

// The other names of the ISO-8859 parts.
constexpr std::pair<std::string_view, std::string_view> kLatinNames[] = {
    {"LATIN1", "ISO88591"},  {"LATIN2", "ISO88592"},  {"LATIN3", "ISO88593"},  {"LATIN4", "ISO88594"},
    {"LATIN5", "ISO88599"},  {"LATIN6", "ISO885910"}, {"LATIN7", "ISO885913"}, {"LATIN8", "ISO885914"},
    {"LATIN9", "ISO885915"}, {"LATIN10", "ISO885916"}};

}  // namespace

const CodePageHigh* FindCodePage(std::string_view name) {
    if (name.size() > 40) return nullptr;  // no name of ours is that long
    std::string key;
    for (char c : name) {
        if (c == '-' || c == '_' || c == ' ') continue;
        key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (key.rfind("CP", 0) == 0) key = "WINDOWS" + key.substr(2);
    for (const auto& [latin, iso] : kLatinNames)
        if (key == latin) key = iso;
    for (const auto& page : kCodePages)
        if (page.key == key) return &page.high;
    return nullptr;
}

}  // namespace orvane::detail
