// ePrnTable::LoadFromXML on any text. A refused text leaves the table as it
// was; an accepted one gives a table whose layout XML reads back into the
// same XML.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include <orvanespt/print/ePrnTable.h>

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InstallQuietMessages();
    const std::string input = fuzz::AsText(data, size);

    ePrnTable table;
    table.Name = "previa";
    table.Width = 12.5f;
    auto row = std::make_shared<ePrnRow>();
    row->Name = "r1";
    row->Cells->Add(std::make_shared<ePrnCell>());
    table.Rows->Add(row);
    const std::string before = table.ToXML();
    if (!table.LoadFromXML(input)) {
        fuzz::Check(table.ToXML() == before, "a refused text changed the table");
        return 0;
    }
    const std::string first = table.ToXML();
    ePrnTable again;
    fuzz::Check(again.LoadFromXML(first), "the written layout is not read back", first);
    const std::string second = again.ToXML();
    fuzz::Check(second == first, "the layout changes on a second round trip", first + "\n----\n" + second);
    return 0;
}
