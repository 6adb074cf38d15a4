// The print-grid seam's installed linker.
#include "model/GridLink.h"

#include <utility>

namespace orvane {
namespace {

PrintGridLinker& Installed() {
    static PrintGridLinker linker = nullptr;
    return linker;
}

}  // namespace

PrintGridLinker SetPrintGridLinker(PrintGridLinker linker) {
    return std::exchange(Installed(), linker);
}

void LinkPrintGrid(eControl& control) {
    if (PrintGridLinker linker = Installed()) linker(control);
}

}  // namespace orvane
