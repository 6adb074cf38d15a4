#include <orvanespt/model/FormulaDesigner.h>

#include <utility>

#include <orvanespt/model/Orvane.h>

namespace orvane {

namespace {

FormulaDesigner& Installed() {
    static FormulaDesigner designer;
    return designer;
}

}  // namespace

FormulaDesigner SetFormulaDesigner(FormulaDesigner designer) {
    return std::exchange(Installed(), std::move(designer));
}

std::string Orvane::ShowDesignerF(const std::string& TxtF, std::string& Fmt) {
    const FormulaDesigner designer = Installed();
    if (!designer) return TxtF;
    // A report the host keeps on the stack still gets a designer; the pointer
    // then owns nothing.
    std::shared_ptr<Orvane> self = ParentLink().lock();
    std::string text = TxtF;
    std::string format = Fmt;
    try {
        if (!designer(self, text, format)) return TxtF;
    } catch (...) {
        return TxtF;
    }
    Fmt = std::move(format);
    return text;
}

}  // namespace orvane
