// Packing and unpacking of encoder descriptions.
#include "print/prnEncoder.h"

#include <gtest/gtest.h>

#include "platform/HexText.h"

namespace orvane {
namespace {

TEST(PrnEncoder, NewEncoderPacksToSeparatorsOnlyAndBack) {
    prnEncoder e;
    const std::string packed = e.StrEncoder();
    EXPECT_EQ(packed, "\r\n\r\n\r\n|\r\n|\r\n|");
    prnEncoder back;
    back.Name = back.Command3 = back.Sufijo2 = "x";
    back.StrEncoder(packed);
    EXPECT_EQ(back.StrEncoder(), packed);
    EXPECT_EQ(back.Name + back.Command3 + back.Sufijo2, "");
}

TEST(PrnEncoder, FullEncoderRoundTripsWithPostCommandThird) {
    prnEncoder e;
    e.Name = "Zebra";
    e.PreCommand = "1B 40";
    e.Command1 = "1B 01";
    e.Sufijo1 = "0D";
    e.Command2 = "1B 02";
    e.Sufijo2 = "0A";
    e.Command3 = "1B 03";
    e.Sufijo3 = "0C";
    e.PostCommand = "1B 45";
    EXPECT_EQ(e.StrEncoder(), "Zebra\r\n1B 40\r\n1B 45\r\n1B 01|0D\r\n1B 02|0A\r\n1B 03|0C");
    prnEncoder back;
    back.StrEncoder(e.StrEncoder());
    EXPECT_EQ(back.StrEncoder(), e.StrEncoder());
    EXPECT_EQ(back.PostCommand, "1B 45");
}

TEST(PrnEncoder, UnpackingToleratesShortLinesLoneCrAndExtraBars) {
    prnEncoder e;
    e.Command1 = e.Sufijo3 = "stale";
    e.StrEncoder("N\rPre\r\nPost");
    EXPECT_EQ(e.Name, "N");
    EXPECT_EQ(e.PreCommand, "Pre");
    EXPECT_EQ(e.PostCommand, "Post");
    EXPECT_EQ(e.Command1 + e.Sufijo1 + e.Command2 + e.Sufijo2 + e.Command3 + e.Sufijo3, "");

    e.StrEncoder("a\nb\r\r\r1|2|3\r4\r|6\rignored");
    EXPECT_EQ(e.Name, "a\nb");  // a lone LF is not a line break
    EXPECT_EQ(e.PreCommand, "");
    EXPECT_EQ(e.Command1, "1");
    EXPECT_EQ(e.Sufijo1, "2");
    EXPECT_EQ(e.Command2, "4");
    EXPECT_EQ(e.Sufijo2, "");
    EXPECT_EQ(e.Command3, "");
    EXPECT_EQ(e.Sufijo3, "6");
}

TEST(PrnEncoder, BinStringGivesRawBytes) {
    const prnEncoder e;
    EXPECT_EQ(e.BinString("1b 41"), "\x1B\x41");
    EXPECT_EQ(e.BinString("abc"), std::string("\x0A\xBC"));
    EXPECT_EQ(e.BinString("<1B>"), "\x1B");
    EXPECT_EQ(e.BinString("zz"), std::string(1, '\0'));
    EXPECT_EQ(e.BinString("FF-00_80.7f"), std::string("\xFF\x00\x80\x7F", 4));
    EXPECT_EQ(e.BinString(""), "");
    EXPECT_EQ(e.BinString(" <-._> "), "");
}

TEST(PrnEncoder, BinStringOverflowIsAnErrorForTheCaller) {
    const prnEncoder e;
    const std::string longest(kMaxHexTextLength, 'A');
    EXPECT_EQ(e.BinString(longest).size(), kMaxHexTextLength / 2);
    // Separators do not count towards the limit, but an odd count is padded first.
    EXPECT_EQ(e.BinString(" " + longest + "--").size(), kMaxHexTextLength / 2);
    EXPECT_THROW(e.BinString(longest + "A"), HexOverflow);
    EXPECT_THROW(e.BinString(longest + "AB"), HexOverflow);
}

}  // namespace
}  // namespace orvane
