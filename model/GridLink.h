// The print-grid seam of the definition reader: after a control has been
// read, the installed linker attaches what a control of its class needs. The
// print layer installs the one that gives a print-grid control its print
// table; the model itself knows nothing of print tables.
#pragma once

#include "model/eControl.h"

namespace orvane {

// Attaches what control's class needs; leaves other controls alone. Must not
// throw.
using PrintGridLinker = void (*)(eControl& control);

// Installs the linker used from now on (null: none); returns the previous one.
PrintGridLinker SetPrintGridLinker(PrintGridLinker linker);

// Runs the installed linker on control; nothing when none is installed.
void LinkPrintGrid(eControl& control);

}  // namespace orvane
