// The print-grid hook of the definition reader: after a control has been
// read, the print layer attaches a print table to a control of the
// print-grid class.
#pragma once

#include "model/eControl.h"

namespace orvane {

// Attaches a print table to control when it is of the print-grid class;
// leaves any other control alone. Never throws.
void LinkPrintGrid(eControl& control);

}  // namespace orvane
