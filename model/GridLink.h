// The print-grid seam of the definition reader: after a control has been
// read, the installed linker attaches what a control of its class needs. The
// print layer installs the one that gives a print-grid control its print
// table; the model itself knows nothing of print tables.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <orvanespt/model/eControl.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// Attaches what control's class needs; leaves other controls alone. Must not
/// throw.
using PrintGridLinker = void (*)(eControl& control);

/// Installs the linker used from now on (null: none); returns the previous one.
ORVANE_API PrintGridLinker SetPrintGridLinker(PrintGridLinker linker);

/// Runs the installed linker on control; nothing when none is installed.
ORVANE_API void LinkPrintGrid(eControl& control);

/// One cell of a print grid's table: its name and the source it shows.
struct ORVANE_API GridCellSource {
    std::string cell;    ///< the cell's name
    std::string source;  ///< the record source or field it shows, as written
};

/// The cells of the print table linked to control, for the checks that look
/// at what a grid shows; nullopt when control has a "Tables" block whose
/// table does not read. Installed by the print layer with the linker.
///@{
using PrintGridCells = std::optional<std::vector<GridCellSource>> (*)(const eControl& control);
ORVANE_API PrintGridCells SetPrintGridCells(PrintGridCells cells);
///@}
/// Runs the installed reader; no cells when none is installed.
ORVANE_API std::optional<std::vector<GridCellSource>> GridCells(const eControl& control);

}  // namespace orvane
