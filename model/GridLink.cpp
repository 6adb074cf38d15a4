// The print-grid seam's installed linker.
#include <orvanespt/model/GridLink.h>

#include <utility>

namespace orvane {
namespace {

PrintGridLinker& Installed() {
    static PrintGridLinker linker = nullptr;
    return linker;
}

PrintGridCells& InstalledCells() {
    static PrintGridCells cells = nullptr;
    return cells;
}

}  // namespace

PrintGridLinker SetPrintGridLinker(PrintGridLinker linker) {
    return std::exchange(Installed(), linker);
}

void LinkPrintGrid(eControl& control) {
    if (PrintGridLinker linker = Installed()) linker(control);
}

PrintGridCells SetPrintGridCells(PrintGridCells cells) {
    return std::exchange(InstalledCells(), cells);
}

std::optional<std::vector<GridCellSource>> GridCells(const eControl& control) {
    if (PrintGridCells cells = InstalledCells()) return cells(control);
    return std::vector<GridCellSource>{};
}

}  // namespace orvane
