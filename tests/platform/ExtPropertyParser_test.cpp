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

TEST(ExtPropertyParser, EscapesOnlyCrLfPairsAndApostrophes) {
    EXPECT_EQ(Escaped("it's"), "it\\0x27\\s");
    EXPECT_EQ(Escaped("a\r\nb"), "a\\0x130x10\\b");
    EXPECT_EQ(Escaped("a\rb\nc;d\\e"), "a\rb\nc;d\\e");
    EXPECT_EQ(Escaped("''"), "\\0x27\\\\0x27\\");
}

TEST(ExtPropertyParser, UnescapeIsTheInverseFromTheLeft) {
    for (std::string v : {"it's", "a\r\nb", "\r\n0x27\\", "'\r\n'", "\\", "\\0x13", "x\r\n\r\ny"}) {
        EXPECT_EQ(UnescapeExtValue(Escaped(v)), v) << v;
    }
}

TEST(ExtPropertyParser, SplitsBuilderOutput) {
    auto items = ParseExtProperties("Caption='Total';FontName='Arial'; Font='x;y';='';Empty='';");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 5u);
    EXPECT_EQ((*items)[0].name, "Caption");
    EXPECT_EQ((*items)[0].value, "Total");
    EXPECT_EQ((*items)[2].name, " Font");  // names are taken as written
    EXPECT_EQ((*items)[2].value, "x;y");
    EXPECT_EQ((*items)[3].name, "");
    EXPECT_EQ((*items)[4].value, "");
    EXPECT_TRUE(ParseExtProperties("")->empty());
}

TEST(ExtPropertyParser, LenientWithHandWrittenText) {
    auto items = ParseExtProperties("Caption='it's fine';Last='end'  \r\n");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2u);
    EXPECT_EQ((*items)[0].value, "it's fine");
    EXPECT_EQ((*items)[1].name, "Last");
    EXPECT_EQ((*items)[1].value, "end");
    EXPECT_TRUE(ParseExtProperties("   ")->empty());
}

TEST(ExtPropertyParser, DamagedTextFails) {
    EXPECT_FALSE(ParseExtProperties("Caption"));
    EXPECT_FALSE(ParseExtProperties("A='1';garbage"));
    EXPECT_FALSE(ParseExtProperties("Caption='open"));
}

}  // namespace
}  // namespace orvane::platform
