#include <orvanespt/designer/qt/QtDesignerDialogs.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <orvanespt/designer/qt/FrmConnection.h>
#include <orvanespt/designer/qt/FrmParameter.h>
#include <orvanespt/designer/qt/FrmRSource.h>
#include <orvanespt/designer/qt/NameDialogs.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;

namespace {

std::string TextOf(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

bool QtDesignerDialogs::EditeConnection(const std::shared_ptr<Orvane>& report,
                                        const std::shared_ptr<eConnection>& eC) {
    if (!eC) return false;
    frmConnection dialog(parent_);
    dialog.EditedCnn = eC;
    dialog.Editar(eC);
    dialog.ParentReport = report;
    RunModal(dialog);
    return dialog.Accepted;
}

std::shared_ptr<eConnection> QtDesignerDialogs::AddeConnection(const std::shared_ptr<Orvane>& report) {
    frmConnection dialog(parent_);
    dialog.Agregar();
    dialog.ParentReport = report;
    RunModal(dialog);
    if (!dialog.Accepted) return nullptr;
    auto connection = std::make_shared<eConnection>();
    connection->Name = TextOf(dialog.txtName);
    connection->cnnString = dialog.CnnString;
    connection->Internal = dialog.dxCheckEdit1->isChecked();
    return connection;
}

bool QtDesignerDialogs::EditeDialog(const std::shared_ptr<eDialog>& eDl) {
    if (!eDl) return false;
    frmDialog dialog(parent_);
    dialog.CurrentDialog = eDl;
    dialog.Editar(eDl);
    RunModal(dialog);
    return dialog.BotonOk;
}

std::shared_ptr<eDialog> QtDesignerDialogs::AddeDialog() {
    frmDialog dialog(parent_);
    dialog.Agregar();
    RunModal(dialog);
    if (!dialog.BotonOk) return nullptr;
    auto created = std::make_shared<eDialog>();
    created->Name = TextOf(dialog.txtName);
    return created;
}

bool QtDesignerDialogs::EditeParameter(const std::shared_ptr<eParameter>& ePr) {
    if (!ePr) return false;
    frmParameter dialog(parent_);
    dialog.CurrentParameter = ePr;
    dialog.Editar(ePr);
    RunModal(dialog);
    return dialog.BotonOk;
}

std::shared_ptr<eParameter> QtDesignerDialogs::AddeParameter() {
    frmParameter dialog(parent_);
    dialog.Agregar();
    RunModal(dialog);
    if (!dialog.BotonOk) return nullptr;
    auto p = std::make_shared<eParameter>();
    p->Name = TextOf(dialog.txtName);
    p->Predef = TextOf(dialog.txtPredef);
    const int group = dialog.SelectedGroup();
    if (group >= 0) p->eType(dialog.SelectedType());
    if (group == 2) {
        p->DTFormat = dialog.Combo1->currentText().toStdString();
        if (TrimBlanks(p->Predef).empty()) p->Predef = NowFormatted(p->SelectDTF("yyyymmdd"));
    }
    return p;
}

bool QtDesignerDialogs::EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) {
    if (!ePrn) return false;
    frmFormat dialog(parent_);
    dialog.CurrentFormat = ePrn;
    dialog.Editar(ePrn);
    RunModal(dialog);
    return dialog.BotonOk;
}

std::shared_ptr<ePrnFormat> QtDesignerDialogs::AddPrnFormat() {
    frmFormat dialog(parent_);
    dialog.Agregar();
    RunModal(dialog);
    if (!dialog.BotonOk) return nullptr;
    auto format = std::make_shared<ePrnFormat>();
    format->Name = TextOf(dialog.txtName);
    format->Properties = TextOf(dialog.txtProperties);
    return format;
}

bool QtDesignerDialogs::EditeRSource(const OrvaneUI& ui, const std::shared_ptr<eRSource>& eRs) {
    if (!eRs) return false;
    FrmRSource dialog(parent_);
    dialog.UIRpt = &ui;
    dialog.Modificar(eRs);
    RunModal(dialog);
    return dialog.BotonOk;
}

std::shared_ptr<eRSource> QtDesignerDialogs::AddeRSource(const OrvaneUI& ui, const std::shared_ptr<eConnection>& eC,
                                                         const std::string& noName) {
    FrmRSource dialog(parent_);
    dialog.UIRpt = &ui;
    dialog.NoName = noName;
    dialog.SetCnn(eC);
    dialog.Agregar();
    RunModal(dialog);
    dialog.NoName.clear();
    return dialog.BotonOk ? dialog.ThisRC : nullptr;
}

}  // namespace orvane::designer
