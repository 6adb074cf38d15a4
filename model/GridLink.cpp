// The print layer provides the real link; until it does, controls are read
// without a print table.
#include "model/GridLink.h"

namespace orvane {

void LinkPrintGrid(eControl&) {}

}  // namespace orvane
