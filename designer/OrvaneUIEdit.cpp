// OrvaneUI's edit and add operations: thin calls into the installed dialogs,
// handing the connection editor the definition it proposes names from.
#include "designer/DesignerDialogs.h"
#include "designer/OrvaneUI.h"

namespace orvane {

using designer::CurrentDesignerDialogs;

bool OrvaneUI::EditeConnection(const std::shared_ptr<eConnection>& eC) const {
    return CurrentDesignerDialogs()->EditeConnection(objOrvane, eC);
}

std::shared_ptr<eConnection> OrvaneUI::AddeConnection() const {
    return CurrentDesignerDialogs()->AddeConnection(objOrvane);
}

bool OrvaneUI::EditeDialog(const std::shared_ptr<eDialog>& eDl) const {
    return CurrentDesignerDialogs()->EditeDialog(eDl);
}

std::shared_ptr<eDialog> OrvaneUI::AddeDialog() const { return CurrentDesignerDialogs()->AddeDialog(); }

bool OrvaneUI::EditeParameter(const std::shared_ptr<eParameter>& ePr) const {
    return CurrentDesignerDialogs()->EditeParameter(ePr);
}

std::shared_ptr<eParameter> OrvaneUI::AddeParameter() const { return CurrentDesignerDialogs()->AddeParameter(); }

bool OrvaneUI::EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) const {
    return CurrentDesignerDialogs()->EditePrnFormat(ePrn);
}

std::shared_ptr<ePrnFormat> OrvaneUI::AddPrnFormat() const { return CurrentDesignerDialogs()->AddPrnFormat(); }

}  // namespace orvane
