// The print-grid link: which controls get a print table after reading.
#include "model/GridLink.h"

#include <gtest/gtest.h>

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

TEST(PrintGridLink, GridControlGetsTheTableOfItsTablesBlock) {
    auto c = Grid("ePrnGridControl.ePrnGrid", "TABLES", kTable);  // the block name ignores case
    LinkPrintGrid(c);
    auto table = std::dynamic_pointer_cast<ePrnTable>(c.LinkObject);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Name, "Detalle");
    EXPECT_EQ(table->Rows->Count(), 1);
}

TEST(PrintGridLink, OtherControlsAndUnreadableTablesGetNothing) {
    const std::vector<eControl> controls = {
        Grid("eprngridcontrol.eprngrid", "Tables", kTable),  // the class is matched exactly
        Grid("ePrnGridControl.ePrnGrid ", "Tables", kTable),
        Grid("ePrnGridControl.ePrnGrid", "Tablas", kTable),
        Grid("ePrnGridControl.ePrnGrid", "Tables", "<eCTable Name='x'>"),
    };
    for (auto c : controls) {
        LinkPrintGrid(c);
        EXPECT_EQ(c.LinkObject, nullptr) << c.Class;
    }
    // A well-formed text of another kind still links an empty table.
    auto other = Grid("ePrnGridControl.ePrnGrid", "Tables", "<Otro/>");
    LinkPrintGrid(other);
    auto table = std::dynamic_pointer_cast<ePrnTable>(other.LinkObject);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Rows->Count(), 0);
}

}  // namespace
}  // namespace orvane
