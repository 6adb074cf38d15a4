#include <orvanespt/designer/qt/NameDialogs.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;

namespace {

constexpr int kHelpId = 10039;  // one page for dialogs and print formats

bool Blank(const QLineEdit* edit) { return TrimBlanks(edit->text().toStdString()).empty(); }

}  // namespace

NameDialogBase::NameDialogBase(const QString& caption, const QString& nameLabel, const QString& nameLabelObject,
                               const QString& propertiesLabel, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    txtName = new QLineEdit(this);
    txtName->setObjectName("txtName");
    txtProperties = new QLineEdit(this);
    txtProperties->setObjectName("txtProperties");
    auto* name = new QLabel(nameLabel, this);
    name->setObjectName(nameLabelObject);
    name->setBuddy(txtName);
    auto* properties = new QLabel(propertiesLabel, this);
    properties->setObjectName("lblProperties");
    properties->setBuddy(txtProperties);

    cmdOK = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancel->setObjectName("cmdCancel");
    connect(cmdOK, &QPushButton::clicked, this, &NameDialogBase::OnOk);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    grid_ = new QGridLayout(this);
    grid_->addWidget(name, 0, 0);
    grid_->addWidget(txtName, 0, 1);
    grid_->addWidget(properties, 1, 0);
    grid_->addWidget(txtProperties, 1, 1);
    grid_->setColumnMinimumWidth(1, 280);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid_->addLayout(buttons, 2, 0, 1, 2);
}

bool NameDialogBase::CheckFields() {
    if (!Blank(txtName) && !Blank(txtProperties)) return true;
    platform::ShowMessage("Los campos no pueden quedar vacíos, indique un nombre.", platform::MsgButtons::Ok,
                          platform::MsgIcon::Information);
    return false;
}

void NameDialogBase::OnOk() {
    if (!CheckFields() || !NameAccepted(txtName)) return;
    if (mode == 2) WriteEdited();
    BotonOk = true;
    accept();
}

frmDialog::frmDialog(QWidget* parent)
    : NameDialogBase(QStringLiteral("Dialogos"), QStringLiteral("Nombre:"), "lblNombre",
                     QStringLiteral("Propiedades:"), parent) {
    setObjectName("frmDialog");
    SetHelpTopic(*this, kHelpId);
    auto* help = new QPushButton(QStringLiteral("Ayuda"), this);
    help->setObjectName("BtnAyuda");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });
    if (auto* row = qobject_cast<QHBoxLayout*>(grid_->itemAtPosition(2, 0)->layout())) row->addWidget(help);
}

void frmDialog::Agregar() {
    txtName->clear();
    txtProperties->clear();
    mode = 1;
}

void frmDialog::Editar(const std::shared_ptr<eDialog>& d) {
    txtName->setText(QString::fromStdString(d->Name));
    mode = 2;
}

void frmDialog::WriteEdited() {
    if (CurrentDialog) CurrentDialog->Name = txtName->text().toStdString();
}

frmFormat::frmFormat(QWidget* parent)
    : NameDialogBase(QStringLiteral("Formats"), QStringLiteral("Nombre:"), "lblName", QStringLiteral("Propiedades"),
                     parent) {
    setObjectName("frmFormat");
    SetHelpTopic(*this, kHelpId);
}

void frmFormat::Agregar() {
    txtName->clear();
    txtProperties->clear();
    mode = 1;
}

void frmFormat::Editar(const std::shared_ptr<ePrnFormat>& f) {
    txtName->setText(QString::fromStdString(f->Name));
    txtProperties->setText(QString::fromStdString(f->Properties));
    mode = 2;
}

void frmFormat::WriteEdited() {
    if (!CurrentFormat) return;
    CurrentFormat->Name = txtName->text().toStdString();
    CurrentFormat->Properties = txtProperties->text().toStdString();
}

}  // namespace orvane::designer
