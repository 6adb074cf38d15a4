// Packing and unpacking of card-encoding commands and encoder descriptions.
#include <orvanespt/print/prnCommand.h>

#include <gtest/gtest.h>

#include <orvanespt/platform/HexText.h>
#include <orvanespt/print/prnEncoder.h>

namespace orvane {
namespace {

const std::string STX = "\x02";
const std::string SOH = "\x01";

// Every field in one text: type|info|source:track 1|2|3|smart card|custom.
std::string Fields(const prnCommand& c) {
    auto part = [](SourceType s, const std::string& t) { return std::to_string(static_cast<int>(s)) + ":" + t; };
    return std::to_string(static_cast<int>(c.StrType)) + "|" + c.EncoderInfo + "|" + part(c.SourceTrack1, c.Track1) +
           "|" + part(c.SourceTrack2, c.Track2) + "|" + part(c.SourceTrack3, c.Track3) + "|" +
           part(c.SourceSmartCard, c.SmartCard) + "|" + c.Custom;
}

TEST(PrnCommand, PacksExactlyAndUnpacksEachFieldOnItsOwn) {
    // Fields in order: type, info, sources of tracks 1-3 and smart card, tracks 1-3, smart card, custom.
    const std::vector<std::pair<prnCommand, std::string>> cases = {
        {{cmagneticstrip, "Fargo", cText, cFormula, cEmpty, cEmpty, "%B123^DOE/J?", "[Cuenta] & \"=\"", "", "", ""},
         "1Fargo" + STX + "1" + SOH + "%B123^DOE/J?" + STX + "2" + SOH + "[Cuenta] & \"=\"" + STX + "0" + SOH},
        {{csmartcard, "chip", cEmpty, cEmpty, cEmpty, cFormula, "", "", "", "Mid([Id], 2)", ""},
         "2chip" + STX + "2" + SOH + "Mid([Id], 2)"},
        {{ccustom, "", cEmpty, cEmpty, cEmpty, cEmpty, "", "", "", "", "  raw " + STX + " bytes "},
         "3  raw " + STX + " bytes "},
    };
    for (const auto& [command, packed] : cases) {
        EXPECT_EQ(command.StrCommand(), packed);
        prnCommand back;
        back.StrCommand(packed);
        EXPECT_EQ(Fields(back), Fields(command));
    }
    // Nothing, or a type out of range, packs to empty text whatever the fields hold.
    for (int type : {0, 7}) {
        prnCommand c{static_cast<StrTypes>(type), "z", cText, cText, cText, cText, "x", "x", "x", "x", "y"};
        EXPECT_EQ(c.StrCommand(), "");
    }

    // Unpacking replaces every field but EncoderInfo, which only a group sets; a
    // missing group or part, or a source that is not a number, leaves its field
    // reset while the others are still read.
    const std::string reset = "|before|0:|0:|0:|0:|";
    const std::vector<std::pair<std::string, std::string>> unpacked = {
        {"   ", "0" + reset},
        {"1", "1" + reset},
        {"2info" + STX + "abc" + SOH + "DATA", "2|info|0:|0:|0:|0:DATA|"},
        {"1" + STX + "1" + SOH + "T1" + SOH + "extra" + STX + "2", "1||1:T1|2:|0:|0:|"},
        {"1i" + STX + "1" + SOH + "a" + STX + "1" + SOH + "b" + STX + "1" + SOH + "c" + STX + "1" + SOH + "d",
         "1|i|1:a|1:b|1:c|0:|"},
        {"2" + STX + "17" + SOH + "x", "2||0:|0:|0:|17:x|"},  // any integer is kept as the source
    };
    for (const auto& [packed, fields] : unpacked) {
        prnCommand c{ccustom, "before", cFormula, cFormula, cFormula, cFormula, "old", "old", "old", "old", "old"};
        c.StrCommand(packed);
        EXPECT_EQ(Fields(c), fields) << packed;
    }
}

std::vector<std::string> EncoderFields(const prnEncoder& e) {
    return {e.Name, e.PreCommand, e.PostCommand, e.Command1, e.Sufijo1, e.Command2, e.Sufijo2, e.Command3, e.Sufijo3};
}

TEST(PrnEncoder, UnpacksEveryFieldPacksThemBackAndGivesRawBytes) {
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
        EXPECT_EQ(EncoderFields(e), c.fields) << c.text;
        if (c.packsBack) {
            EXPECT_EQ(e.StrEncoder(), c.text);
        }
    }
    // The printer gets the bytes themselves, not their UTF-8 form; an overflow is the caller's to catch.
    const prnEncoder e;
    EXPECT_EQ(e.BinString("FF-00_80.7f"), std::string("\xFF\x00\x80\x7F", 4));
    EXPECT_THROW(e.BinString(std::string(kMaxHexTextLength + 1, 'A')), HexOverflow);
}

}  // namespace
}  // namespace orvane
