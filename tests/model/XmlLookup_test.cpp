// Element and attribute lookups of the XML readers.
#include "model/detail/XmlLookup.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

class XmlLookup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(doc.load_string("<r><!--c--><Item Name='a'/><ITEM Name='b' name='x'/><item NAME='c'/>"
                                    "<other Name='b'/></r>"));
        root = doc.child("r");
    }
    pugi::xml_document doc;
    pugi::xml_node root;
};

TEST_F(XmlLookup, TagIgnoresCaseNameValueDoesNot) {
    EXPECT_STREQ(FindElementByName(root.children(), "item", "").attribute("Name").value(), "a");
    EXPECT_STREQ(FindElementByName(root.children(), "item", "  ").attribute("Name").value(), "a");
    EXPECT_STREQ(FindElementByName(root.children(), "ITEM", "b").name(), "ITEM");
    EXPECT_FALSE(FindElementByName(root.children(), "item", "B"));
    // The Name attribute is matched in exact case only.
    EXPECT_FALSE(FindElementByName(root.children(), "item", "c"));
    EXPECT_FALSE(FindElementByName(root.children(), "missing", ""));
    EXPECT_FALSE(FindElementByName(pugi::xml_node().children(), "item", ""));
}

TEST_F(XmlLookup, AttributeNameIgnoresCaseFirstWins) {
    const pugi::xml_node b = FindElementByName(root.children(), "item", "b");
    EXPECT_STREQ(FindAttribute(b, "NAME").value(), "b");
    EXPECT_STREQ(FindAttribute(b, "name").value(), "b");
    EXPECT_FALSE(FindAttribute(b, "nam"));
    EXPECT_FALSE(FindAttribute(pugi::xml_node(), "Name"));
}

TEST(XmlNameEquals, FoldsAsciiAndLatin1LettersOnly) {
    EXPECT_TRUE(XmlNameEquals("eRSources", "ERSOURCES"));
    EXPECT_TRUE(XmlNameEquals("\xC3\x91" "ame", "\xC3\xB1" "AME"));  // Ñame / ñAME
    EXPECT_FALSE(XmlNameEquals("Name", "Nam"));
    EXPECT_FALSE(XmlNameEquals("Nam", "Name"));
    EXPECT_FALSE(XmlNameEquals("N@me", "N`me"));  // differ by 0x20 but are not letters
    EXPECT_FALSE(XmlNameEquals("a\xC3\xA9", "a"));
    EXPECT_TRUE(XmlNameEquals("", ""));
}

}  // namespace
}  // namespace orvane
