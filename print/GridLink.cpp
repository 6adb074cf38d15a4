// The print layer's linker for the definition reader: a control of the
// print-grid class gets the print table its "Tables" data block describes.
#include <orvanespt/model/GridLink.h>

#include <memory>

#include <orvanespt/print/detail/TableText.h>
#include <orvanespt/print/ePrnTable.h>

namespace orvane {
namespace {

void AttachPrintTable(eControl& control) {
    // The class name is matched exactly: other spellings are other controls.
    if (control.Class != "ePrnGridControl.ePrnGrid") return;
    const auto tables = control.GetData("Tables");
    if (!tables) return;
    auto table = std::make_shared<ePrnTable>();
    // The layout was an attribute of the definition: characters already.
    if (detail::ReadTableText(*table, tables->DatB64, true)) control.LinkObject = std::move(table);
}

// The cells of a grid's linked table; nullopt when its "Tables" block did not
// read (no table was linked).
std::optional<std::vector<GridCellSource>> CellsOf(const eControl& control) {
    std::vector<GridCellSource> cells;
    if (!control.GetData("Tables")) return cells;
    const auto table = std::dynamic_pointer_cast<ePrnTable>(control.LinkObject);
    if (!table) return std::nullopt;
    if (!table->Rows) return cells;
    for (const auto& row : *table->Rows) {
        if (!row || !row->Cells) continue;
        for (const auto& cell : *row->Cells)
            if (cell) cells.push_back({cell->Name, cell->eSource});
    }
    return cells;
}

// Installed when the library is loaded, so every definition read links its
// grids whatever the host calls first. The library is always a shared object,
// so this file is never left out of it.
[[maybe_unused]] const PrintGridLinker kPrevious = SetPrintGridLinker(&AttachPrintTable);
[[maybe_unused]] const PrintGridCells kPreviousCells = SetPrintGridCells(&CellsOf);

}  // namespace
}  // namespace orvane
