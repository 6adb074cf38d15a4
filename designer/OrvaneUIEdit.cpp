// OrvaneUI's edit and add operations: thin calls into the installed dialogs,
// handing the connection editor the definition it proposes names from.
#include <orvanespt/designer/DesignerDialogs.h>
#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Messages.h>

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

std::shared_ptr<eDialog> OrvaneUI::AddeDialog() const {
    return CurrentDesignerDialogs()->AddeDialog();
}

bool OrvaneUI::EditeParameter(const std::shared_ptr<eParameter>& ePr) const {
    return CurrentDesignerDialogs()->EditeParameter(ePr);
}

std::shared_ptr<eParameter> OrvaneUI::AddeParameter() const {
    return CurrentDesignerDialogs()->AddeParameter();
}

bool OrvaneUI::EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) const {
    return CurrentDesignerDialogs()->EditePrnFormat(ePrn);
}

std::shared_ptr<ePrnFormat> OrvaneUI::AddPrnFormat() const {
    return CurrentDesignerDialogs()->AddPrnFormat();
}

bool OrvaneUI::EditeRSource(const std::shared_ptr<eRSource>& eRs) const {
    if (!eRs) return false;
    return CurrentDesignerDialogs()->EditeRSource(*this, eRs);
}

// Without a definition there is nothing to check the name against, and the
// record source is appended as the editor built it.
std::shared_ptr<eRSource> OrvaneUI::AddeRSource(const std::shared_ptr<eConnection>& eC,
                                                const std::shared_ptr<Collection<eRSource>>& Col,
                                                const std::string& NoName) const {
    if (!eC || !Col) return nullptr;
    auto created = CurrentDesignerDialogs()->AddeRSource(*this, eC, NoName);
    if (!created) return nullptr;
    if (objOrvane && (objOrvane->GetRSource(created->Name) || objOrvane->GetRSourceInDlg(created->Name))) {
        platform::ShowMessage("El nombre no es válido porque ya existe en el proyecto");
        return nullptr;
    }
    Col->Add(created);
    return created;
}

}  // namespace orvane
