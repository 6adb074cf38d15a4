// The formula designer hook behind the root's ShowDesignerF. The model draws
// no windows: a desktop host (the Qt designer library) installs a designer,
// and until one is installed ShowDesignerF answers as a cancelled designer
// would, giving the formula back unchanged.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// Shows the formula designer for report (never null) with text and format
/// given in; returns true when the user accepted, with text and format
/// holding the edited formula and the chosen format. False leaves both as
/// they came in.
using FormulaDesigner =
    std::function<bool(const std::shared_ptr<Orvane>& report, std::string& text, std::string& format)>;

/// Installs the designer used from now on (empty: none); returns the previous one.
ORVANE_API FormulaDesigner SetFormulaDesigner(FormulaDesigner designer);

}  // namespace orvane
