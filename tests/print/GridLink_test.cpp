// The print-grid link: which controls get a print table after reading.
#include "model/GridLink.h"

#include <gtest/gtest.h>

#include "model/Orvane.h"
#include "print/ePrnTable.h"

namespace orvane {
namespace {

const char* kTable =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<eCTable Name=\"Detalle\" Width=\"100\" Height=\"20\"> "
    "<TableRow Name=\"R\" Index=\"1\" Height=\"5\" Width=\"100\" Caption=\"\" TypeRow=\"0\" LockRow=\"0\" "
    "MultiLine=\"0\" KeyField=\"\" KeyValue=\"\" KeyGroups=\"\">\r</TableRow>\r</eCTable>";

eControl Grid(const std::string& cls, const std::string& block, const std::string& text) {
    eControl c;
    c.Class = cls;
    c.ExtData("Otro")->DatB64 = "AAAA";
    c.ExtData(block)->DatB64 = text;
    return c;
}

// Only the exact grid class gets a table, read from its Tables block (name in
// any case); -1 rows: no table linked.
TEST(PrintGridLink, OnlyGridControlsWithAReadableTableGetOne) {
    const std::vector<std::pair<eControl, int>> cases = {
        {Grid("ePrnGridControl.ePrnGrid", "TABLES", kTable), 1},
        {Grid("ePrnGridControl.ePrnGrid", "Tables", "<Otro/>"), 0},  // well-formed, of another kind
        {Grid("eprngridcontrol.eprngrid", "Tables", kTable), -1},
        {Grid("ePrnGridControl.ePrnGrid ", "Tables", kTable), -1},
        {Grid("ePrnGridControl.ePrnGrid", "Tablas", kTable), -1},
        {Grid("ePrnGridControl.ePrnGrid", "Tables", "<eCTable Name='x'>"), -1},
    };
    for (auto [c, rows] : cases) {
        LinkPrintGrid(c);
        auto table = std::dynamic_pointer_cast<ePrnTable>(c.LinkObject);
        EXPECT_EQ(table ? table->Rows->Count() : -1, rows) << c.Class << " " << c.ExtData("Tables")->DatB64;
        if (rows == 1) {
            EXPECT_EQ(table->Name, "Detalle");
        }
    }
}

TEST(PrintGridLink, ReadingADefinitionLinksItsGridControls) {
    // Written by the definition writer and read back: the table text travels
    // escaped in the data block and must reach the table reader intact.
    ePrnTable source;
    source.Name = "Líneas \"A\" & <B>";
    source.Rows->Add(std::make_shared<ePrnRow>());
    Orvane rpt;
    auto format = std::make_shared<ePrnFormat>();
    format->Name = "Formato1";
    for (const char* cls : {"ePrnGridControl.ePrnGrid", "eprngridcontrol.eprngrid"}) {
        auto c = std::make_shared<eControl>();
        c->Name = cls;
        c->Class = cls;
        c->ExtData("Tables")->DatB64 = source.ToXML();
        format->eControls->Add(c);
    }
    rpt.ePrnFormats->Add(format);

    Orvane back;
    ASSERT_TRUE(back.FromXML(rpt.ToXML()));
    const auto& controls = *back.GetFormat("Formato1")->eControls;
    ASSERT_EQ(controls.Count(), 2);
    auto table = std::dynamic_pointer_cast<ePrnTable>(controls.Item(1)->LinkObject);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Name, source.Name);
    EXPECT_EQ(table->Rows->Count(), 1);
    EXPECT_EQ(controls.Item(2)->LinkObject, nullptr);
}

}  // namespace
}  // namespace orvane
