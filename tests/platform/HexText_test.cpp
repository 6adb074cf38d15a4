// Text codecs: hex text of printer command strings, the escaping of
// extended-property strings, and messages put on one line.
#include <orvanespt/platform/HexText.h>

#include <gtest/gtest.h>

#include <orvanespt/platform/ExtPropertyParser.h>
#include <orvanespt/platform/Text.h>

namespace orvane::platform {
namespace {

TEST(Text, OneLineJoinsTheLinesOfAMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"uno\r\ndos", "uno; dos"}, {"uno\n\n\rdos\n", "uno; dos"}, {"\r\nuno", "uno"}, {"", ""}, {"a;b", "a;b"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(text::OneLine(in), out) << in;
}

TEST(HexText, StrToHexWritesTwoUpperCaseDigitsPerCharacterAndOverflowIsAnErrorTheCallerCatches) {
    EXPECT_EQ(StrToHex("AB"), "4142");
    EXPECT_EQ(StrToHex(std::string("\0\x1b", 2)), "001B");
    EXPECT_EQ(StrToHex(""), "");
    EXPECT_EQ(StrToHex("\xC3\xBF"), "FF");          // ÿ is one character
    EXPECT_EQ(StrToHex("\xE2\x82\xAC"), "20AC");    // above 255: more digits
    EXPECT_EQ(StrToHex("\xE9"), "E9");              // a stray byte is its own code
    EXPECT_EQ(StrToHex("\xC1\x81"), "C181");        // so are the bytes of an overlong form
    EXPECT_EQ(StrToHex("\xED\xA0\x80"), "EDA080");  // and of a surrogate
    EXPECT_EQ(StrToHex("\xF4\x8F\xBF\xBF"), "10FFFF");  // the last character is still one

    EXPECT_NO_THROW(StrToHex(std::string(kMaxHexTextLength, 'x')));
    EXPECT_THROW(StrToHex(std::string(kMaxHexTextLength + 1, 'x')), HexOverflow);
}

TEST(HexText, HexToStrIgnoresSeparatorsPadsOddLengthAndRoundTrips) {
    EXPECT_EQ(HexToStr(" <41>-42 "), "AB");
    EXPECT_EQ(HexToStr("41.42_43"), "ABC");
    EXPECT_EQ(HexToStr("G1"), "\x01");
    EXPECT_EQ(HexToStr("ABC"), "\x0A\xC2\xBC");  // codes 10 and 188
    EXPECT_EQ(HexToStr("a9"), "\xC2\xA9");  // lower-case digits from a
    // Every code below 256 goes there and back.
    std::string all;
    for (char32_t c = 0; c < 256; ++c) {
        if (c < 0x80) {
            all += static_cast<char>(c);
        } else {
            all += static_cast<char>(0xC0 | (c >> 6));
            all += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    EXPECT_EQ(HexToStr(StrToHex(all)), all);
    EXPECT_EQ(HexByte2(" F "), "0F");
    EXPECT_EQ(HexByte2("1F"), "1F");
    EXPECT_EQ(HexByte2(""), "0");
    EXPECT_EQ(HexByte2("20AC"), "20AC");
    EXPECT_EQ(HexPairValue("Ff"), 255);
    EXPECT_EQ(HexPairValue("z1"), 1);
    EXPECT_EQ(HexPairValue("1"), 0);
    EXPECT_EQ(HexPairValue("123"), 0);
}

// Escaping and splitting of extended-property strings.
std::string Escaped(std::string_view v) {
    std::string out;
    AppendEscapedExtValue(out, v);
    return out;
}

// Only CR LF pairs and apostrophes are escaped, and unescaping undoes it
// reading from the left.
TEST(ExtPropertyParser, EscapesOnlyCrLfPairsAndApostrophesSplitsItemsAndRefusesDamagedText) {
    const std::pair<std::string, std::string> cases[] = {{"a\rb\nc;d\\e", "a\rb\nc;d\\e"}, {"''", "\\0x27\\\\0x27\\"}};
    for (const auto& [value, escaped] : cases) {
        EXPECT_EQ(Escaped(value), escaped);
        EXPECT_EQ(UnescapeExtValue(escaped), value);
    }
    for (std::string v : {"\r\n0x27\\", "'\r\n'", "\\", "\\0x13", "x\r\n\r\ny"})
        EXPECT_EQ(UnescapeExtValue(Escaped(v)), v) << v;

    // Text -> the items read as name=value|...; names are taken as written,
    // hand-written text is read leniently and damaged text is refused.
    const std::pair<const char*, std::optional<std::string>> texts[] = {
        {"Caption='Total';FontName='Arial'; Font='x;y';='';Empty='';",
         "Caption=Total|FontName=Arial| Font=x;y|=|Empty=|"},
        {"", ""},
        {"   ", ""},
        {"Caption='it's fine';Last='end'  \r\n", "Caption=it's fine|Last=end|"},
        {"Caption", std::nullopt},
        {"A='1';garbage", std::nullopt},
        {"Caption='open", std::nullopt}};
    for (const auto& [text, expected] : texts) {
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
