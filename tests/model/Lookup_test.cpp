// Lookups, name generators and ownership of the report object model, control
// properties, and the lookups and text escaping of its XML.
#include <gtest/gtest.h>

#include <type_traits>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/model/detail/XmlLookup.h>

namespace orvane {
namespace {

using detail::XmlNameEquals;

template <class T>
std::shared_ptr<T> Named(const std::string& name) {
    auto item = std::make_shared<T>();
    item->Name = name;
    return item;
}
const auto RS = &Named<eRSource>;
const auto Cnn = &Named<eConnection>;

// Names match ignoring case, accented letters too; only parameter names are
// trimmed.
TEST(ModelLookup, NamesMatchIgnoringCaseAccentsTooAndOnlyParameterNamesAreTrimmed) {
    auto rpt = std::make_shared<Orvane>();
    auto accented = Named<eParameter>("Código");
    rpt->eParameters->Add(accented);
    rpt->eDialogs->Add(Named<eDialog>("eDialog1"));
    EXPECT_EQ(rpt->GetParameter("  CÓDIGO "), accented);
    EXPECT_EQ(rpt->GetDialog(" eDialog1"), nullptr);
}

// Every walk over record sources ends: at the depth limit (but the writer
// keeps every level), and where a host made a record source its descendant.
TEST(ModelLookup, RecordSourceWalksEndAtTheDepthLimitAndAtACycle) {
    Orvane rpt;
    auto c = Cnn("c");
    rpt.AddConnection(c);
    std::vector<std::shared_ptr<eRSource>> chain;
    for (auto owner = c->eRSources; static_cast<int>(chain.size()) <= kMaxRecordSourceDepth;
         owner = chain.back()->eRSources) {
        chain.push_back(RS("n" + std::to_string(chain.size() + 1)));
        owner->Add(chain.back());
    }
    chain[1]->eRSources->Add(chain[1]);
    chain[2]->eRSources->Add(chain[1]);
    EXPECT_EQ(rpt.GetRSource("N256"), chain[255]);
    EXPECT_EQ(rpt.GetRSource("n257"), nullptr);
    EXPECT_EQ(rpt.GetRSource("missing"), nullptr);
    const std::string xml = rpt.ToXML();
    std::size_t written = 0;
    for (auto at = xml.find("<eRSource "); at != std::string::npos; at = xml.find("<eRSource ", at + 1)) ++written;
    EXPECT_EQ(written, chain.size());
    for (auto& rs : chain) rs->eRSources->Clear();  // the cycle would keep them alive
}

// Adding refuses null and case twins; the back reference does not keep the report alive.
TEST(ModelLookup, AddingRefusesNullAndCaseTwinsDeletingRemovesTheFirstDirectMatch) {
    std::weak_ptr<Orvane> weak;
    auto c = Cnn("Ventas");
    {
        auto rpt = std::make_shared<Orvane>();
        weak = rpt;
        EXPECT_FALSE(rpt->AddConnection(nullptr));
        EXPECT_TRUE(rpt->AddConnection(c));
        EXPECT_EQ(c->RPTParent.lock(), rpt);
        EXPECT_FALSE(rpt->AddConnection(Cnn("VENTAS")));
        EXPECT_EQ(rpt->eConections->Count(), 1);
    }
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(c->RPTParent.lock(), nullptr);

    auto a = RS("a");
    auto deep = RS("b");
    a->eRSources->Add(deep);
    c->eRSources->Add(a);
    c->eRSources->Add(RS("B"));
    c->eRSources->Add(RS("b"));
    c->DelRSource("b");
    ASSERT_EQ(c->eRSources->Count(), 2);
    EXPECT_EQ(c->eRSources->Item(2)->Name, "b");
    EXPECT_EQ(a->eRSources->Count(), 1) << "deeper levels are not searched";
    c->DelRSource("zzz");
    EXPECT_EQ(c->eRSources->Count(), 2);

    // Added through AddRSource, a subtree runs on its parent's connection; a
    // source that has a connection keeps it.
    auto sub = RS("sub"), leaf = RS("hoja"), elsewhere = RS("fuera");
    auto other = Cnn("Otra");
    elsewhere->eCnn = other;
    sub->eRSources->Add(leaf);
    sub->eRSources->Add(elsewhere);
    EXPECT_FALSE(c->AddRSource(nullptr) || c->AddRSource(RS("A")));
    EXPECT_TRUE(c->AddRSource(sub));
    EXPECT_EQ(c->eRSources->Count(), 3);
    EXPECT_EQ(sub->eCnn.lock(), c);
    EXPECT_EQ(leaf->eCnn.lock(), c);
    EXPECT_EQ(elsewhere->eCnn.lock(), other);
    auto late = RS("tarde");
    EXPECT_FALSE(leaf->AddRSource(leaf));
    EXPECT_TRUE(leaf->AddRSource(late));
    EXPECT_EQ(late->eCnn.lock(), c);
    EXPECT_EQ(leaf->GeteRSource("TARDE"), late);

    eDialog d;
    d.eRSources->Add(RS("x"));
    d.DelRSourceInDlg("X");
    EXPECT_EQ(d.eRSources->Count(), 0);
}

// A const report gives const items: a caller holding const Orvane& reads the
// definition and cannot change it through the lookups.
TEST(ModelLookup, ConstReportsGiveTheSameItemsAsConst) {
    Orvane rpt;
    auto c = Cnn("Ventas");
    ASSERT_TRUE(rpt.AddConnection(c) && c->AddRSource(RS("Pedidos")));
    const Orvane& view = rpt;
    static_assert(std::is_same_v<decltype(view.GetRSource("")), std::shared_ptr<const eRSource>>);
    static_assert(std::is_same_v<decltype(view.GetConnection("")), std::shared_ptr<const eConnection>>);
    static_assert(std::is_same_v<decltype(view.FindParameter("")), const eParameter*>);
    static_assert(std::is_same_v<decltype(view.GetConnection("")->GeteRSource("")), std::shared_ptr<const eRSource>>);
    static_assert(std::is_same_v<decltype(rpt.GetRSource("")), std::shared_ptr<eRSource>>);
    EXPECT_EQ(view.GetRSource("pedidos"), rpt.GetRSource("PEDIDOS"));
    EXPECT_EQ(view.GetConnection("VENTAS")->GeteRSource("pedidos"), c->GeteRSource("Pedidos"));
    EXPECT_EQ(view.GetRSource("nada"), nullptr);
}

// Each generator starts at its count + 1 and skips names taken in any case;
// record source names are free under connections and dialogs alike.
TEST(ModelNames, GeneratorsSkipTakenNamesAndCopiedConnectionNamesStay) {
    auto rpt = std::make_shared<Orvane>();
    EXPECT_EQ(rpt->UniqueFormatName(), "eFormat1");
    EXPECT_EQ(rpt->GetNewCnnName(), "eConnection1");
    EXPECT_EQ(rpt->UniqueDialogName(), "eDialog1");
    EXPECT_EQ(rpt->UniqueResDataName(), "eResData1");

    rpt->ePrnFormats->Add(Named<ePrnFormat>("eFormat2"));
    EXPECT_EQ(rpt->UniqueFormatName(), "eFormat3");
    rpt->eDialogs->Add(Named<eDialog>("eDialog1"));
    rpt->eDialogs->Add(Named<eDialog>("EDIALOG3"));
    EXPECT_EQ(rpt->UniqueDialogName(), "eDialog4");

    auto c = Cnn("eConnection1");
    rpt->AddConnection(c);
    EXPECT_EQ(rpt->GetNewCnnName(), "eConnection2");
    auto top = RS("x");
    top->eRSources->Add(RS("eRSource1"));
    c->eRSources->Add(top);
    rpt->eDialogs->Item(1)->eRSources->Add(RS("ERSOURCE2"));
    EXPECT_EQ(rpt->GetNewRSName(), "eRSource3");

    eDialog d;
    EXPECT_EQ(d.GetNewName(), "Control1");
    d.eControls->Add(Named<eControl>("Control2"));
    EXPECT_EQ(d.GetNewName(), "Control3");
    ePrnFormat f;
    f.eControls->Add(std::make_shared<eControl>());
    EXPECT_EQ(f.GetNewName(), "Control2");

    // A record source's connection name follows its connection and stays once it is gone.
    auto ventas = Cnn("Ventas");
    eRSource rs;
    rs.eCnn = ventas;
    rs.ecnnName("Ignored");
    EXPECT_EQ(rs.ecnnName(), "Ventas");
    ventas.reset();
    EXPECT_EQ(rs.ecnnName(), "Ventas");
}

// eControl.Extended: building the string and reading it back.
// Data blocks and properties are got or created by name in any case.
TEST(ControlExtended, BuildsItemsInOrderSkippingBlankNamesAndNullsReadsThemBackAndDropsThemOnAFailedRead) {
    eControl c;
    auto tables = c.ExtData("Tables");
    EXPECT_EQ(c.ExtData("TABLES"), tables);
    EXPECT_EQ(c.Data->Count(), 1);
    EXPECT_EQ(c.Extended(), "");
    c.ExtProperty("Caption")->Value = "Total";
    EXPECT_EQ(c.ExtProperty("CAPTION"), c.GetExtProperty("caption"));  // got, not created again
    c.ExtProperty("  ")->Value = "hidden";
    c.ExtProperty(" Font")->Value = "Arial";
    c.ExtProperty("Obj")->Value = Variant::MakeNull();
    c.ExtProperty("FontBold")->Value = true;
    c.ExtProperty("Size")->Value = 12;
    EXPECT_EQ(c.Extended(), "Caption='Total'; Font='Arial';FontBold='True';Size='12';");
    EXPECT_EQ(c.ExtendedProperties->Count(), 6);

    // Values are escaped as they are written and unescaped as they are read.
    c.ExtendedProperties = nullptr;
    c.ExtProperty("A")->Value = "it's\r\n\r";
    const std::string s = c.Extended();
    EXPECT_EQ(s, "A='it\\0x27\\s\\0x130x10\\\r';");  // a lone CR stays
    eControl back;
    back.Extended(s);
    ASSERT_TRUE(back.ExtendedProperties);
    ASSERT_EQ(back.ExtendedProperties->Count(), 1);
    EXPECT_EQ(back.GetExtProperty("a")->Value.TextOr(), "it's\r\n\r");
    back.Extended("New='unterminated");  // a text that does not parse drops the list
    EXPECT_FALSE(back.ExtendedProperties);
}

// Escaping of the definition XML's texts and the lenient readings.
TEST(XmlText, EncodesDecodesAndReadsLenientlyAndLooksUpTagsAndAttributesIgnoringCase) {
    const std::pair<std::string, std::string> cases[] = {
        {"A\r\nB", "A&lt;p&gt;&amp;nbsp;&lt;/p&gt;B"},
        // Only the CR LF pair is the marker; lone and reversed breaks are references.
        {"\n\r", "&#xA;&#xD;"}, {"\r\r\n", "&#xD;&lt;p&gt;&amp;nbsp;&lt;/p&gt;"}, {"a\rb", "a&#xD;b"},
        {"a&b<c>d'e\"f\tg", "a&amp;b&lt;c&gt;d&apos;e&quot;f&#x9;g"}, {"&amp;", "&amp;amp;"}, {"", ""},
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
    EXPECT_EQ(DecodeXMLText("A<p>&nbsp;</p>B"), "A\r\nB");
    EXPECT_EQ(DecodeXMLText("<p>&nbsp;</p"), "<p>&nbsp;</p");
    EXPECT_EQ(DecodeXMLText("&amp; <P>&nbsp;</P>"), "&amp; <P>&nbsp;</P>");
    // A long text is decoded in slices: markers on and around every slice
    // boundary, and one cut short at the end.
    std::string longText, longDecoded;
    for (std::size_t i = 0; longText.size() < 200'000; ++i) {
        const std::size_t filler = 32'768 - 13 + i % 27;
        longText.append(filler, 'x').append("<p>&nbsp;</p>");
        longDecoded.append(filler, 'x').append("\r\n");
    }
    EXPECT_EQ(DecodeXMLText(longText + "<p>&nbsp;</"), longDecoded + "<p>&nbsp;</");
    EXPECT_EQ(AttrValue(Variant(true)), "\"True\"");
    EXPECT_EQ(AttrValue(Variant(false)), "\"False\"");
    EXPECT_EQ(AttrValue(Variant("a\"b")), "\"a&quot;b\"");
    EXPECT_EQ(AttrValue(Variant::MakeNull()), "\"\"");

    // "1,234.5": grouping is not a thing here.
    const std::pair<const char*, double> numbers[] = {{"1,5", 1.5}, {"1.5", 1.5},   {"  -2.25abc", -2.25},
                                                      {"1.5e3", 1500}, {"abc", 0}, {"", 0}, {"1,234.5", 1.234}};
    for (const auto& [text, value] : numbers) EXPECT_DOUBLE_EQ(StrToNum(text), value) << text;
    for (const char* yes : {"-1", "2abc", "TRUE", "Verdadero", "0.5"}) EXPECT_TRUE(StrToBool(yes)) << yes;
    // "0,5": no comma reading, the leading number is 0.
    for (const char* no : {"0", "0,5", "", "yes", "False"}) EXPECT_FALSE(StrToBool(no)) << no;

    // The XML readers' names ignore case (ASCII and Latin-1 letters only).
    EXPECT_TRUE(XmlNameEquals("eRSources", "ERSOURCES"));
    EXPECT_TRUE(XmlNameEquals("\xC3\x91" "ame", "\xC3\xB1" "AME"));  // Ñame / ñAME
    EXPECT_FALSE(XmlNameEquals("Name", "Nam"));
    EXPECT_FALSE(XmlNameEquals("Nam", "Name"));
    EXPECT_FALSE(XmlNameEquals("N@me", "N`me"));  // differ by 0x20 but are not letters
}

}  // namespace
}  // namespace orvane
