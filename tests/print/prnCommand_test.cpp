// Packing and unpacking of card-encoding commands.
#include "print/prnCommand.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

const std::string STX = "\x02";
const std::string SOH = "\x01";

prnCommand Unpacked(const std::string& s, const std::string& infoBefore = "before") {
    prnCommand c;
    c.EncoderInfo = infoBefore;
    c.StrType = ccustom;
    c.Track1 = c.Track2 = c.Track3 = c.SmartCard = c.Custom = "old";
    c.SourceTrack1 = c.SourceTrack2 = c.SourceTrack3 = c.SourceSmartCard = cFormula;
    c.StrCommand(s);
    return c;
}

void ExpectResetTracks(const prnCommand& c) {
    EXPECT_EQ(c.SourceTrack1, cEmpty);
    EXPECT_EQ(c.SourceTrack2, cEmpty);
    EXPECT_EQ(c.SourceTrack3, cEmpty);
    EXPECT_EQ(c.SourceSmartCard, cEmpty);
    EXPECT_EQ(c.Track1 + c.Track2 + c.Track3 + c.SmartCard + c.Custom, "");
}

TEST(PrnCommand, NothingPacksToEmptyTextWhateverTheFieldsHold) {
    prnCommand c;
    EXPECT_EQ(c.StrCommand(), "");
    c.Track1 = "x";
    c.Custom = "y";
    c.EncoderInfo = "z";
    EXPECT_EQ(c.StrCommand(), "");
    c.StrType = static_cast<StrTypes>(7);
    EXPECT_EQ(c.StrCommand(), "");
}

TEST(PrnCommand, MagneticCommandPacksExactlyAndRoundTrips) {
    prnCommand c;
    c.StrType = cmagneticstrip;
    c.EncoderInfo = "Fargo";
    c.SourceTrack1 = cText;
    c.Track1 = "%B123^DOE/J?";
    c.SourceTrack2 = cFormula;
    c.Track2 = "[Cuenta] & \"=\"";
    c.SourceTrack3 = cEmpty;
    c.Track3 = "";
    const std::string packed = c.StrCommand();
    EXPECT_EQ(packed,
              "1Fargo" + STX + "1" + SOH + "%B123^DOE/J?" + STX + "2" + SOH + "[Cuenta] & \"=\"" + STX + "0" + SOH);

    prnCommand back;
    back.StrCommand(packed);
    EXPECT_EQ(back.StrType, cmagneticstrip);
    EXPECT_EQ(back.EncoderInfo, "Fargo");
    EXPECT_EQ(back.SourceTrack1, cText);
    EXPECT_EQ(back.Track1, c.Track1);
    EXPECT_EQ(back.SourceTrack2, cFormula);
    EXPECT_EQ(back.Track2, c.Track2);
    EXPECT_EQ(back.SourceTrack3, cEmpty);
    EXPECT_EQ(back.Track3, "");
}

TEST(PrnCommand, SmartCardAndCustomRoundTrip) {
    prnCommand c;
    c.StrType = csmartcard;
    c.EncoderInfo = "chip";
    c.SourceSmartCard = cFormula;
    c.SmartCard = "Mid([Id], 2)";
    EXPECT_EQ(c.StrCommand(), "2chip" + STX + "2" + SOH + "Mid([Id], 2)");
    prnCommand back;
    back.StrCommand(c.StrCommand());
    EXPECT_EQ(back.StrType, csmartcard);
    EXPECT_EQ(back.EncoderInfo, "chip");
    EXPECT_EQ(back.SourceSmartCard, cFormula);
    EXPECT_EQ(back.SmartCard, "Mid([Id], 2)");

    c.StrType = ccustom;
    c.Custom = "  raw " + STX + " bytes ";
    EXPECT_EQ(c.StrCommand(), "3  raw " + STX + " bytes ");
    back.StrCommand(c.StrCommand());
    EXPECT_EQ(back.StrType, ccustom);
    EXPECT_EQ(back.Custom, c.Custom);
}

TEST(PrnCommand, UnpackingResetsEverythingButEncoderInfo) {
    for (const std::string s : {"", "   ", "0", " 1abc", "9", "x1"}) {
        SCOPED_TRACE(s);
        const auto c = Unpacked(s);
        EXPECT_EQ(c.StrType, cnothing);
        EXPECT_EQ(c.EncoderInfo, "before");
        ExpectResetTracks(c);
    }
    const auto magnetic = Unpacked("1");
    EXPECT_EQ(magnetic.StrType, cmagneticstrip);
    EXPECT_EQ(magnetic.EncoderInfo, "before");
    ExpectResetTracks(magnetic);

    const auto custom = Unpacked("3");
    EXPECT_EQ(custom.StrType, ccustom);
    EXPECT_EQ(custom.Custom, "");

    const auto smart = Unpacked("2");
    EXPECT_EQ(smart.StrType, csmartcard);
    ExpectResetTracks(smart);
}

TEST(PrnCommand, EachFieldIsReadOnItsOwn) {
    // A source that is not a number leaves its source reset but the content is still read.
    auto c = Unpacked("2info" + STX + "abc" + SOH + "DATA");
    EXPECT_EQ(c.EncoderInfo, "info");
    EXPECT_EQ(c.SourceSmartCard, cEmpty);
    EXPECT_EQ(c.SmartCard, "DATA");

    // Track 2 has no content part, track 3 is missing, extra groups and parts are ignored.
    c = Unpacked("1" + STX + "1" + SOH + "T1" + SOH + "extra" + STX + "2");
    EXPECT_EQ(c.EncoderInfo, "");
    EXPECT_EQ(c.SourceTrack1, cText);
    EXPECT_EQ(c.Track1, "T1");
    EXPECT_EQ(c.SourceTrack2, cFormula);
    EXPECT_EQ(c.Track2, "");
    EXPECT_EQ(c.SourceTrack3, cEmpty);

    c = Unpacked("1i" + STX + "1" + SOH + "a" + STX + "1" + SOH + "b" + STX + "1" + SOH + "c" + STX + "1" + SOH + "d");
    EXPECT_EQ(c.Track3, "c");

    // Any integer is kept, even one that names no source kind.
    c = Unpacked("2" + STX + "17" + SOH + "x");
    EXPECT_EQ(static_cast<int>(c.SourceSmartCard), 17);
}

}  // namespace
}  // namespace orvane
