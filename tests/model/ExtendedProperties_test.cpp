// eControl.Extended: building the string and reading it back.
#include <gtest/gtest.h>

#include "model/Orvane.h"

namespace orvane {
namespace {

TEST(ControlExtended, BuildsItemsInOrderSkippingBlankNamesAndNullsReadsThemBackAndReplacesThem) {
    eControl c;
    EXPECT_EQ(c.Extended(), "");
    c.ExtProperty("Caption")->Value = "Total";
    c.ExtProperty("  ")->Value = "hidden";
    c.ExtProperty(" Font")->Value = "Arial";
    c.ExtProperty("Obj")->Value = Variant::MakeNull();
    c.ExtProperty("FontBold")->Value = true;
    c.ExtProperty("Size")->Value = 12;
    EXPECT_EQ(c.Extended(), "Caption='Total'; Font='Arial';FontBold='True';Size='12';");

    // Escaped values read back unchanged.
    c.ExtendedProperties = nullptr;
    c.ExtProperty("A")->Value = "it's";
    c.ExtProperty("B")->Value = "a\r\nb";
    c.ExtProperty("C")->Value = "x;y\\z\r";
    const std::string s = c.Extended();
    EXPECT_EQ(s, "A='it\\0x27\\s';B='a\\0x130x10\\b';C='x;y\\z\r';");
    eControl back;
    back.Extended(s);
    ASSERT_TRUE(back.ExtendedProperties);
    ASSERT_EQ(back.ExtendedProperties->Count(), 3);
    EXPECT_EQ(back.GetExtProperty("a")->Value.TextOr(), "it's");
    EXPECT_EQ(back.GetExtProperty("B")->Value.TextOr(), "a\r\nb");
    EXPECT_EQ(back.GetExtProperty("c")->Value.TextOr(), "x;y\\z\r");
    EXPECT_EQ(back.Extended(), s);

    // Writing replaces the list, or drops it on failure.
    back.Extended("New='2';");
    ASSERT_EQ(back.ExtendedProperties->Count(), 1);
    EXPECT_FALSE(back.GetExtProperty("A"));
    back.Extended("New='unterminated");
    EXPECT_FALSE(back.ExtendedProperties);
    EXPECT_EQ(back.Extended(), "");
    back.Extended("");
    ASSERT_TRUE(back.ExtendedProperties);
    EXPECT_EQ(back.ExtendedProperties->Count(), 0);
}

TEST(ControlExtended, ApostrophesAreEscapedAgainInTheDefinitionXml) {
    Orvane r;
    auto d = std::make_shared<eDialog>();
    auto c = std::make_shared<eControl>();
    c->ExtProperty("Caption")->Value = "A";
    d->eControls->Add(c);
    r.eDialogs->Add(d);
    EXPECT_NE(r.ToXML().find(" Extended=\"Caption=&apos;A&apos;;\" "), std::string::npos);
}

}  // namespace
}  // namespace orvane
