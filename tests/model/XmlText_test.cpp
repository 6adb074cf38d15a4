// Escaping of the definition XML's texts and the lenient readings.
#include "model/XmlText.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(XmlText, EncodesLineBreakMarkerThenEscapesIt) {
    EXPECT_EQ(EncodeXMLText("A\r\nB"), "A&lt;p&gt;&amp;nbsp;&lt;/p&gt;B");
    EXPECT_EQ(EncodeXMLText("\r\n\r\n"), "&lt;p&gt;&amp;nbsp;&lt;/p&gt;&lt;p&gt;&amp;nbsp;&lt;/p&gt;");
    // Only the CR LF pair is the marker; lone and reversed breaks are references.
    EXPECT_EQ(EncodeXMLText("\n\r"), "&#xA;&#xD;");
    EXPECT_EQ(EncodeXMLText("\r\r\n"), "&#xD;&lt;p&gt;&amp;nbsp;&lt;/p&gt;");
    EXPECT_EQ(EncodeXMLText("a\rb"), "a&#xD;b");
}

TEST(XmlText, EscapesSpecialsWithoutDoubleEscaping) {
    EXPECT_EQ(EncodeXMLText("a&b<c>d'e\"f\tg"), "a&amp;b&lt;c&gt;d&apos;e&quot;f&#x9;g");
    EXPECT_EQ(EncodeXMLText("&amp;"), "&amp;amp;");
    EXPECT_EQ(EncodeXMLText(""), "");
    EXPECT_EQ(EncodeXMLText("plain text 123"), "plain text 123");
}

TEST(XmlText, Latin1CodePointsBecomeDecimalReferencesHigherStayUtf8) {
    EXPECT_EQ(EncodeXMLText("\xC3\xA9"), "&#233;");               // é
    EXPECT_EQ(EncodeXMLText("\xC2\x80\xC3\xBF"), "&#128;&#255;");  // U+0080, ÿ
    EXPECT_EQ(EncodeXMLText("\xE2\x82\xAC"), "\xE2\x82\xAC");      // € stays
    EXPECT_EQ(EncodeXMLText("x\xF0\x9F\x98\x80y"), "x\xF0\x9F\x98\x80y");
    // A stray byte is read as the code point of its value.
    EXPECT_EQ(EncodeXMLText("\xE9z"), "&#233;z");
    EXPECT_EQ(EncodeXMLText("\xE2\x82"), "&#226;&#130;");
}

TEST(XmlText, AppendKeepsWhatIsThere) {
    std::string out = "head ";
    AppendEncodedXMLText(out, "a<b");
    AppendEncodedXMLText(out, "");
    AppendEncodedXMLText(out, " tail");
    EXPECT_EQ(out, "head a&lt;b tail");
}

TEST(XmlText, DecodeRestoresLineBreaksOnly) {
    EXPECT_EQ(DecodeXMLText("A<p>&nbsp;</p>B"), "A\r\nB");
    EXPECT_EQ(DecodeXMLText("<p>&nbsp;</p><p>&nbsp;</p>"), "\r\n\r\n");
    EXPECT_EQ(DecodeXMLText("<p>&nbsp;</p"), "<p>&nbsp;</p");
    EXPECT_EQ(DecodeXMLText("&amp; <P>&nbsp;</P>"), "&amp; <P>&nbsp;</P>");
    EXPECT_EQ(DecodeXMLText(""), "");
}

TEST(XmlText, AttrValueQuotesAndEscapes) {
    EXPECT_EQ(AttrValue(Variant(true)), "\"True\"");
    EXPECT_EQ(AttrValue(Variant(false)), "\"False\"");
    EXPECT_EQ(AttrValue(Variant("a\"b")), "\"a&quot;b\"");
    EXPECT_EQ(AttrValue(Variant(-12)), "\"-12\"");
    EXPECT_EQ(AttrValue(Variant()), "\"\"");
    EXPECT_EQ(AttrValue(Variant::MakeNull()), "\"\"");
}

TEST(XmlText, StrToNumReadsCommaAsPointAndLeadingNumberOnly) {
    EXPECT_DOUBLE_EQ(StrToNum("1,5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToNum("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToNum("  -2.25abc"), -2.25);
    EXPECT_DOUBLE_EQ(StrToNum("1.5e3"), 1500);
    EXPECT_DOUBLE_EQ(StrToNum("abc"), 0);
    EXPECT_DOUBLE_EQ(StrToNum(""), 0);
    EXPECT_DOUBLE_EQ(StrToNum("1,234.5"), 1.234);  // grouping is not a thing here
}

TEST(XmlText, StrToBoolAcceptsNumbersAndWords) {
    EXPECT_TRUE(StrToBool("-1"));
    EXPECT_TRUE(StrToBool("2abc"));
    EXPECT_TRUE(StrToBool("TRUE"));
    EXPECT_TRUE(StrToBool("Verdadero"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_FALSE(StrToBool("0,5"));  // no comma reading: the leading number is 0
    EXPECT_TRUE(StrToBool("0.5"));
    EXPECT_FALSE(StrToBool(""));
    EXPECT_FALSE(StrToBool("yes"));
    EXPECT_FALSE(StrToBool("False"));
}

}  // namespace
}  // namespace orvane
