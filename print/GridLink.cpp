// The print-grid link of the definition reader: a control of the print-grid
// class gets the print table its "Tables" data block describes.
#include "model/GridLink.h"

#include <memory>

#include "print/ePrnTable.h"

namespace orvane {

void LinkPrintGrid(eControl& control) {
    // The class name is matched exactly: other spellings are other controls.
    if (control.Class != "ePrnGridControl.ePrnGrid") return;
    const auto tables = control.GetData("Tables");
    if (!tables) return;
    auto table = std::make_shared<ePrnTable>();
    if (table->LoadFromXML(tables->DatB64)) control.LinkObject = std::move(table);
}

}  // namespace orvane
