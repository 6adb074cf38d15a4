// Escaping of the definition XML's texts and the lenient readings.
#include "model/XmlText.h"

#include <gtest/gtest.h>

#include <utility>

namespace orvane {
namespace {

TEST(XmlText, EncodesMarkerSpecialsAndLatin1) {
    const std::pair<std::string, std::string> cases[] = {
        {"A\r\nB", "A&lt;p&gt;&amp;nbsp;&lt;/p&gt;B"},
        {"\r\n\r\n", "&lt;p&gt;&amp;nbsp;&lt;/p&gt;&lt;p&gt;&amp;nbsp;&lt;/p&gt;"},
        // Only the CR LF pair is the marker; lone and reversed breaks are references.
        {"\n\r", "&#xA;&#xD;"}, {"\r\r\n", "&#xD;&lt;p&gt;&amp;nbsp;&lt;/p&gt;"}, {"a\rb", "a&#xD;b"},
        {"a&b<c>d'e\"f\tg", "a&amp;b&lt;c&gt;d&apos;e&quot;f&#x9;g"}, {"&amp;", "&amp;amp;"}, {"", ""},
        {"plain text 123", "plain text 123"},
        {"\xC3\xA9", "&#233;"}, {"\xC2\x80\xC3\xBF", "&#128;&#255;"},  // é; U+0080, ÿ
        {"\xE2\x82\xAC", "\xE2\x82\xAC"}, {"x\xF0\x9F\x98\x80y", "x\xF0\x9F\x98\x80y"},  // higher ones stay
        // A stray byte is read as the code point of its value.
        {"\xE9z", "&#233;z"}, {"\xE2\x82", "&#226;&#130;"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(EncodeXMLText(in), out) << in;
    std::string out = "head ";  // appending keeps what is there
    AppendEncodedXMLText(out, "a<b");
    AppendEncodedXMLText(out, "");
    EXPECT_EQ(out, "head a&lt;b");
}

TEST(XmlText, DecodeRestoresLineBreaksOnlyAndAttrValueQuotes) {
    EXPECT_EQ(DecodeXMLText("A<p>&nbsp;</p>B"), "A\r\nB");
    EXPECT_EQ(DecodeXMLText("<p>&nbsp;</p><p>&nbsp;</p>"), "\r\n\r\n");
    EXPECT_EQ(DecodeXMLText("<p>&nbsp;</p"), "<p>&nbsp;</p");
    EXPECT_EQ(DecodeXMLText("&amp; <P>&nbsp;</P>"), "&amp; <P>&nbsp;</P>");
    EXPECT_EQ(DecodeXMLText(""), "");
    // Attribute values are quoted and escaped.
    EXPECT_EQ(AttrValue(Variant(true)), "\"True\"");
    EXPECT_EQ(AttrValue(Variant(false)), "\"False\"");
    EXPECT_EQ(AttrValue(Variant("a\"b")), "\"a&quot;b\"");
    EXPECT_EQ(AttrValue(Variant(-12)), "\"-12\"");
    EXPECT_EQ(AttrValue(Variant()), "\"\"");
    EXPECT_EQ(AttrValue(Variant::MakeNull()), "\"\"");
}

TEST(XmlText, StrToNumAndStrToBoolReadCommaAsPointAndTheLeadingNumberOnly) {
    // "1,234.5": grouping is not a thing here.
    const std::pair<const char*, double> cases[] = {{"1,5", 1.5}, {"1.5", 1.5}, {"  -2.25abc", -2.25}, {"1.5e3", 1500},
                                                    {"abc", 0},   {"", 0},      {"1,234.5", 1.234}};
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(StrToNum(text), value) << text;
    for (const char* yes : {"-1", "2abc", "TRUE", "Verdadero", "0.5"}) EXPECT_TRUE(StrToBool(yes)) << yes;
    // "0,5": no comma reading, the leading number is 0.
    for (const char* no : {"0", "0,5", "", "yes", "False"}) EXPECT_FALSE(StrToBool(no)) << no;
}

}  // namespace
}  // namespace orvane
