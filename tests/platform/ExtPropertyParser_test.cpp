// Escaping and splitting of extended-property strings.
#include "platform/ExtPropertyParser.h"

#include <gtest/gtest.h>

namespace orvane::platform {
namespace {

std::string Escaped(std::string_view v) {
    std::string out;
    AppendEscapedExtValue(out, v);
    return out;
}

// Only CR LF pairs and apostrophes are escaped, and unescaping undoes it
// reading from the left.
TEST(ExtPropertyParser, EscapesOnlyCrLfPairsAndApostrophesAndUnescapesBack) {
    const std::pair<std::string, std::string> cases[] = {{"it's", "it\\0x27\\s"},
                                                         {"a\r\nb", "a\\0x130x10\\b"},
                                                         {"a\rb\nc;d\\e", "a\rb\nc;d\\e"},
                                                         {"''", "\\0x27\\\\0x27\\"}};
    for (const auto& [value, escaped] : cases) {
        EXPECT_EQ(Escaped(value), escaped);
        EXPECT_EQ(UnescapeExtValue(escaped), value);
    }
    for (std::string v : {"\r\n0x27\\", "'\r\n'", "\\", "\\0x13", "x\r\n\r\ny"})
        EXPECT_EQ(UnescapeExtValue(Escaped(v)), v) << v;
}

// Text -> the items read as name=value|...; names are taken as written,
// hand-written text is read leniently and damaged text is refused.
TEST(ExtPropertyParser, SplitsBuilderAndHandWrittenTextAndRefusesDamagedText) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"Caption='Total';FontName='Arial'; Font='x;y';='';Empty='';",
         "Caption=Total|FontName=Arial| Font=x;y|=|Empty=|"},
        {"", ""},
        {"   ", ""},
        {"Caption='it's fine';Last='end'  \r\n", "Caption=it's fine|Last=end|"},
        {"Caption", std::nullopt},
        {"A='1';garbage", std::nullopt},
        {"Caption='open", std::nullopt}};
    for (const auto& [text, expected] : cases) {
        std::optional<std::string> read;
        if (auto items = ParseExtProperties(text)) {
            read.emplace();
            for (const ExtItem& i : *items) *read += i.name + "=" + i.value + "|";
        }
        EXPECT_EQ(read, expected) << text;
    }
}

}  // namespace
}  // namespace orvane::platform
