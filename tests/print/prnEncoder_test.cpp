// Packing and unpacking of encoder descriptions.
#include "print/prnEncoder.h"

#include <gtest/gtest.h>

#include "platform/HexText.h"

namespace orvane {
namespace {

std::vector<std::string> Fields(const prnEncoder& e) {
    return {e.Name, e.PreCommand, e.PostCommand, e.Command1, e.Sufijo1, e.Command2, e.Sufijo2, e.Command3, e.Sufijo3};
}

TEST(PrnEncoder, UnpacksEveryFieldAndPacksThemBack) {
    struct Case {
        std::string text;
        std::vector<std::string> fields;
        bool packsBack;
    };
    const std::vector<Case> cases = {
        {"\r\n\r\n\r\n|\r\n|\r\n|", {"", "", "", "", "", "", "", "", ""}, true},
        {"Zebra\r\n1B 40\r\n1B 45\r\n1B 01|0D\r\n1B 02|0A\r\n1B 03|0C",
         {"Zebra", "1B 40", "1B 45", "1B 01", "0D", "1B 02", "0A", "1B 03", "0C"},
         true},
        // Short text, a lone CR ends a line, a lone LF does not, extra bars and lines are dropped.
        {"N\rPre\r\nPost", {"N", "Pre", "Post", "", "", "", "", "", ""}, false},
        {"a\nb\r\r\r1|2|3\r4\r|6\rignored", {"a\nb", "", "", "1", "2", "4", "", "", "6"}, false},
    };
    for (const auto& c : cases) {
        prnEncoder e;
        e.Name = e.PreCommand = e.Command1 = e.Sufijo2 = e.Command3 = e.Sufijo3 = "stale";
        e.StrEncoder(c.text);
        EXPECT_EQ(Fields(e), c.fields) << c.text;
        if (c.packsBack) {
            EXPECT_EQ(e.StrEncoder(), c.text);
        }
    }
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
    // Overflow is an error for the caller.
    const std::string longest(kMaxHexTextLength, 'A');
    EXPECT_EQ(e.BinString(longest).size(), kMaxHexTextLength / 2);
    // Separators do not count towards the limit, but an odd count is padded first.
    EXPECT_EQ(e.BinString(" " + longest + "--").size(), kMaxHexTextLength / 2);
    EXPECT_THROW(e.BinString(longest + "A"), HexOverflow);
    EXPECT_THROW(e.BinString(longest + "AB"), HexOverflow);
}

}  // namespace
}  // namespace orvane
