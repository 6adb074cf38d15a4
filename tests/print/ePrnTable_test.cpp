// The table layout XML: exact written text, the reader's name matching, its
// stop-at-first-failure rule, what it does with text that is not well-formed
// and that it reads back every field written, in every encoding it reads.
#include <orvanespt/print/ePrnTable.h>

#include <gtest/gtest.h>

#include <orvanespt/platform/NumberFormat.h>
#include "support/HostileInput.h"

namespace orvane {
namespace {

using platform::ScopedDecimalSeparator;

std::shared_ptr<ePrnCell> Cell(const std::string& name, float width) {
    auto c = std::make_shared<ePrnCell>();
    c->Name = name;
    c->Width = width;
    return c;
}

std::shared_ptr<ePrnRow> Row(const std::string& name) {
    auto r = std::make_shared<ePrnRow>();
    r->Name = name;
    return r;
}

// A table with every written field away from its initial value, line breaks
// and markup in its texts. The exact-text test shows every field is written,
// so equal texts mean equal tables.
ePrnTable FullTable() {
    ePrnTable t;
    t.Name = "Ventas\r\nlíneas";
    t.Width = 190.5f;
    t.Height = -0.25f;
    auto r = Row("Encabezado");
    r->Index = -3;
    r->Height = 12.5f;
    r->Width = 0.1f;
    r->Caption = "Título\r\nb";
    r->TypeRow = 2;
    r->LockRow = -1;
    r->MultiLine = 1;
    r->KeyField = "Id\"<&>'y";
    r->KeyValue = 42;
    r->KeyGroups = "g1&g2";
    auto c = Cell("Celda1", 33.25f);
    c->Subtype = 7;
    c->BorderColor = 16777215;
    c->DrawStyle = 2;
    c->DrawWidth = 3;
    c->BackColor = -2147483647 - 1;
    c->FontColor = 255;
    c->ForeColor = 65280;
    c->TagData = "t1\r\nt2";
    c->Caption = "Año";
    c->HAlig = 1;
    c->VAlig = 2;
    c->FontName = "Fuente \"rara\"";
    c->FontSize = 9;
    c->FontBold = -1;
    c->FontItalic = 1;
    c->FontUnderline = -1;
    c->eResDataName = "logo";
    c->eSource = "=[A] & \"<\"";
    r->Cells->Add(c);
    r->Cells->Add(Cell("Celda2", 1e-5f));
    t.Rows->Add(r);
    t.Rows->Add(Row("Vacía"));
    t.Rows->Item(2)->KeyValue = "v\r\nw\tz";
    return t;
}

TEST(PrnTableXml, WritesTableRowsAndCellsExactly) {
    ScopedDecimalSeparator sep('.');
    const std::string table =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<eCTable Name=\"T&lt;1&gt;\" Width=\"100\" "
        "Height=\"2.5\"> ";
    const std::string row =
        "<TableRow Name=\"R1\" Index=\"1\" Height=\"5\" Width=\"100\" Caption=\"a&quot;b\" "
        "TypeRow=\"0\" LockRow=\"0\" MultiLine=\"0\" KeyField=\"\" KeyValue=\"2.5\" KeyGroups=\"\">\r";
    ePrnTable t;
    t.Name = "T<1>";
    t.Width = 100;
    t.Height = 2.5f;

    auto r = Row("R1");
    r->Index = 1;
    r->Height = 5;
    r->Width = 100;
    r->Caption = "a\"b";
    r->KeyValue = 2.5;

    auto c = Cell("C1", 12.5f);
    c->Subtype = -2;
    c->Caption = "Total é";
    c->FontName = "Arial";
    c->eSource = "[Tabla].[Campo] > 0 'x'";  // needs no escaping: written as it is
    const std::string cell =
        "<eControl Name=\"C1\" Width =\"12.5\" SubType=\"-2\">\r"
        "<Data BorderColor=\"0\" DrawWidth=\"0\" BackColor=\"0\" DrawStyle=\"0\" ForeColor=\"0\" "
        "FontColor=\"0\" TagData=\"\" Caption=\"Total &#233;\" eResDataName=\"\" eSource=\"[Tabla].[Campo] > 0 'x'\" "
        "HAlig=\"0\" VAlig=\"0\" FontName=\"Arial\" FontSize=\"0\" FontBold=\"0\" FontItalic=\"0\" "
        "FontUnderline=\"0\" />\r</eControl>";

    r->Cells->Add(c);
    r->Cells->Add(nullptr);  // a host may leave holes; they are not written
    t.Rows->Add(r);
    t.Rows->Add(nullptr);
    EXPECT_EQ(t.ToXML(), table + row + cell + "\r</TableRow>\r</eCTable>");
}

// A row start tag; index and caption are given as whole attribute texts.
std::string RowText(const std::string& name, const std::string& index = "Index='0'",
                    const std::string& caption = "Caption='c'") {
    return "<TableRow Name='" + name + "' " + index + " Height='1' Width='1' " + caption +
           " TypeRow='0' LockRow='0' MultiLine='0' KeyField='' KeyValue='' KeyGroups=''>";
}

TEST(PrnTableXml, NamesMatchIgnoringCaseExceptDataAndAFailureStopsTheTableKeepingCompleteRows) {
    const std::string text =
        "<ECTABLE name='T' WIDTH='10' height='20'>"
        "<tablerow NAME='r' index='1' height='2' width='3' caption='c' typerow='0' lockrow='0' multiline='0' "
        "keyfield='' keyvalue='' keygroups=''>"
        "<Celda name='a' subtype='1' width='4'><data BackColor='5'/></Celda>"
        "<x:eControl xmlns:x='urn:x' Name='b' Subtype='2' Width='6'>"
        "<Data BorderColor='1' DrawWidth='2' BackColor='3' DrawStyle='4' ForeColor='5' FontColor='6' TagData='t' "
        "Caption='c' eResDataName='r' eSource='s' HAlig='7' VAlig='8' FontName='f' FontSize='9' FontBold='10' "
        "FontItalic='11' FontUnderLine='12'/>"
        "<Data BorderColor='100' DrawWidth='2' BackColor='3' DrawStyle='4' ForeColor='5' FontColor='6' TagData='t' "
        "Caption='last' eResDataName='r' eSource='s' HAlig='7' VAlig='8' FontName='f' FontSize='9' FontBold='10' "
        "FontItalic='11' FontUnderline='12'/>"
        "</x:eControl></tablerow><Other/></ECTABLE>";
    ePrnTable t;
    ASSERT_TRUE(t.LoadFromXML(text));
    EXPECT_EQ(t.Name, "T");
    ASSERT_EQ(t.Rows->Count(), 1);
    const auto& cells = *t.Rows->Item(1)->Cells;
    ASSERT_EQ(cells.Count(), 2);
    EXPECT_EQ(cells.Item(1)->Name, "a");
    EXPECT_EQ(cells.Item(1)->BackColor, 0);  // "data" is not "Data"
    const auto& b = *cells.Item(2);
    EXPECT_EQ(b.Subtype, 2);
    EXPECT_EQ(b.BorderColor, 100);  // the last Data wins
    EXPECT_EQ(b.FontUnderline, 12);

    const std::string cell = "<eControl Name='c' Subtype='0' Width='1'/>";
    const std::string head = "<eCTable Name='T' Width='1' Height='1'>" + RowText("r1") + cell + "</TableRow>";
    const std::string tail = RowText("r3") + "</TableRow></eCTable>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing caption", RowText("r2", "Index='0'", "") + "</TableRow>"},
        {"index beyond 16 bits", RowText("r2", "Index='40000'") + "</TableRow>"},
        {"comment among cells", RowText("r2") + cell + "<!-- nota --></TableRow>"},
        {"cell without width", RowText("r2") + "<eControl Name='c' Subtype='0'/></TableRow>"},
        {"color beyond 32 bits", RowText("r2") + "<eControl Name='c' Subtype='0' Width='1'><Data BackColor='3e9'/>"
                                                 "</eControl></TableRow>"},
    };
    for (const auto& [what, bad] : cases) {
        SCOPED_TRACE(what);
        ePrnTable stopped;
        ASSERT_TRUE(stopped.LoadFromXML(head + bad + tail));
        ASSERT_EQ(stopped.Rows->Count(), 1);
        EXPECT_EQ(stopped.Rows->Item(1)->Name, "r1");
        EXPECT_EQ(stopped.Rows->Item(1)->Cells->Count(), 1);
    }
}

// Each class of fault refuses the text and changes nothing, while the same
// text without the fault is read.
TEST(PrnTableXml, TextThatIsNotWellFormedChangesNothingAndAWrittenTableReadsBackWhole) {
    const std::string good = FullTable().ToXML();
    auto cases = orvane::testing::NotWellFormedCases("eCTable");
    for (const std::string& bad :
         {std::string(), std::string("   "), good.substr(0, good.size() - 3), std::string("<!-- only a comment -->"),
          good + "<eCTable/>", std::string("<eCTable Name='a\0b' Width='1' Height='1'/>", 40)})
        cases.push_back({"other", bad, good});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ePrnTable t = FullTable();
        EXPECT_FALSE(t.LoadFromXML(c.bad)) << c.bad;
        EXPECT_EQ(t.ToXML(), good);
        EXPECT_TRUE(t.LoadFromXML(c.good)) << c.good;
    }
    // Read into an empty table, the full table's text comes back whole: every
    // field is read, in every encoding the reader reads.
    for (const auto& e : orvane::testing::ReadEncodings()) {
        SCOPED_TRACE(e.declared + " as " + e.iconvName);
        ePrnTable encoded;
        ASSERT_TRUE(encoded.LoadFromXML(orvane::testing::Encode(good, e)));
        EXPECT_EQ(encoded.ToXML(), good);
    }
}

}  // namespace
}  // namespace orvane
