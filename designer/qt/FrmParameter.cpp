#include <orvanespt/designer/qt/FrmParameter.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;
using text::Lower;

namespace {

constexpr int kHelpId = 10037;
const char* const kFormats[] = {"yyyymmdd",           "yyyy-mm-dd",          "yyyymmdd hh:mm:ss",
                                "yyyy-mm-dd hh:mm:ss", "yyyy-mm-ddThh:mm:ss", "yyyymmdd hhmmss"};

bool Blank(const QString& text) { return TrimBlanks(text.toStdString()).empty(); }

// The type group whose list shows a category; -1 for the categories never offered.
int GroupOfCategory(int category) {
    if (category == kCategoryText) return 0;
    if (category == kCategoryNumber || category == kCategoryTruth) return 1;
    if (category == kCategoryDateTime) return 2;
    return -1;
}

}  // namespace

std::string NowFormatted(const std::string& pattern) {
    const QDateTime now = QDateTime::currentDateTime();
    DateTime value{now.date().year(), now.date().month(), now.date().day(),
                   now.time().hour(), now.time().minute(), now.time().second()};
    return FormatDateTime(value, pattern);
}

frmParameter::frmParameter(QWidget* parent) : QDialog(parent) {
    setObjectName("frmParameter");
    SetHelpTopic(*this, kHelpId);
    setWindowTitle(QStringLiteral("Parámetro"));
    BuildWidgets();
    for (const char* f : kFormats) Combo1->addItem(QString::fromUtf8(f));
    Combo1->setCurrentIndex(0);
    connect(Combo1, &QComboBox::editTextChanged, this, &frmParameter::OnFormatChanged);
    OnFormatChanged();
    FillTypeLists();
    optSuperType[0]->setChecked(true);
    Option1->setChecked(true);
    GroupRule(0);
    txtPredef->setText(QString::fromStdString(NowFormatted(kFormats[0])));
}

void frmParameter::BuildWidgets() {
    txtName = new QLineEdit(this);
    txtName->setObjectName("txtName");
    auto* types = new QButtonGroup(this);
    const char* captions[] = {"Texto", "Números", "Fecha/hora:"};
    for (int i = 0; i < 3; ++i) {
        optSuperType[i] = new QRadioButton(QString::fromUtf8(captions[i]), this);
        optSuperType[i]->setObjectName(QStringLiteral("optSuperType(%1)").arg(i));
        types->addButton(optSuperType[i], i);
        cmbTipos[i] = new QComboBox(this);
        cmbTipos[i]->setObjectName(QStringLiteral("cmbTipos(%1)").arg(i));
        cmbTipos[i]->setMinimumContentsLength(16);
        connect(optSuperType[i], &QRadioButton::clicked, this, [this, i] { GroupRule(i); });
    }
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");
    Option1 = new QRadioButton(QStringLiteral("Manejar fecha/hora como cadenas (recomendado)"), Frame1);
    Option1->setObjectName("Option1");
    Option2 = new QRadioButton(QStringLiteral("Usar tipo OLE DB"), Frame1);
    Option2->setObjectName("Option2");
    connect(Option1, &QRadioButton::clicked, this, &frmParameter::OnDateHandlingChosen);
    connect(Option2, &QRadioButton::clicked, this, &frmParameter::OnDateHandlingChosen);
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName("Combo1");
    Combo1->setEditable(true);
    txtPredef = new QLineEdit(this);
    txtPredef->setObjectName("txtPredef");
    cmdOK = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("&Cancelar"), this);
    Command2->setObjectName("Command2");
    btnAyuda = new QPushButton(QStringLiteral("Ay&uda"), this);
    btnAyuda->setObjectName("btnAyuda");
    connect(cmdOK, &QPushButton::clicked, this, &frmParameter::OnOk);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnAyuda, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });

    auto* frame = new QGridLayout(Frame1);
    frame->addWidget(cmbTipos[2], 0, 0, 1, 2);
    frame->addWidget(Option1, 1, 0, 1, 2);
    frame->addWidget(Option2, 2, 0, 1, 2);
    frame->addWidget(new QLabel(QStringLiteral("Formato:"), Frame1), 3, 0);
    frame->addWidget(Combo1, 3, 1);
    frame->setColumnStretch(1, 1);

    auto* typeBox = new QGroupBox(QStringLiteral("Tipo de datos:"), this);
    auto* typeGrid = new QGridLayout(typeBox);
    typeGrid->addWidget(optSuperType[0], 0, 0);
    typeGrid->addWidget(cmbTipos[0], 0, 1);
    typeGrid->addWidget(optSuperType[1], 1, 0);
    typeGrid->addWidget(cmbTipos[1], 1, 1);
    typeGrid->addWidget(optSuperType[2], 2, 0, Qt::AlignTop);
    typeGrid->addWidget(Frame1, 2, 1);
    typeGrid->setColumnStretch(1, 1);

    auto* nameLabel = new QLabel(QStringLiteral("Nombre  del Parametro:"), this);
    nameLabel->setBuddy(txtName);
    auto* predefLabel = new QLabel(QStringLiteral("Valor predeterminado:"), this);
    predefLabel->setBuddy(txtPredef);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAyuda);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(Command2);

    auto* top = new QGridLayout(this);
    top->addWidget(nameLabel, 0, 0);
    top->addWidget(txtName, 0, 1);
    top->addWidget(typeBox, 1, 0, 1, 2);
    top->addWidget(predefLabel, 2, 0);
    top->addWidget(txtPredef, 2, 1);
    top->addLayout(buttons, 3, 0, 1, 2);
    top->setColumnStretch(1, 1);
}

void frmParameter::FillTypeLists() {
    for (auto* combo : cmbTipos) combo->clear();
    for (const AdoTypeRow& row : AdoTypeTable()) {
        const int group = GroupOfCategory(row.Category);
        if (group < 0) continue;
        cmbTipos[group]->addItem(QString::fromUtf8(row.Name.data(), static_cast<int>(row.Name.size())));
        if (row.IsDefault) cmbTipos[group]->setCurrentIndex(cmbTipos[group]->count() - 1);
    }
}

void frmParameter::Agregar() {
    txtName->clear();
    txtPredef->clear();
    mode_ = 1;
}

void frmParameter::Editar(const std::shared_ptr<eParameter>& prm) {
    txtName->setText(QString::fromStdString(prm->Name));
    if (Lower(TrimBlanks(prm->eType())) == "strdatetime") {
        optSuperType[2]->setChecked(true);
        Option1->setChecked(true);
        GroupRule(2);
    } else {
        ShowTypeInCmb(prm->eType());
    }
    Combo1->setEditText(QString::fromStdString(prm->DTFormat));
    txtPredef->setText(QString::fromStdString(prm->Predef));
    mode_ = 2;
}

void frmParameter::ShowTypeInCmb(const std::string& typeName) {
    const std::string wanted = Lower(typeName);
    for (int g = 0; g < 3; ++g) {
        for (int i = 0; i < cmbTipos[g]->count(); ++i) {
            if (Lower(cmbTipos[g]->itemText(i).toStdString()) != wanted) continue;
            cmbTipos[g]->setCurrentIndex(i);
            optSuperType[g]->setChecked(true);
            if (g == 2 && Lower(TrimBlanks(typeName)) != "strdatetime") Option2->setChecked(true);
            GroupRule(g);
            return;
        }
    }
}

void frmParameter::GroupRule(int index) {
    for (QWidget* w : {static_cast<QWidget*>(Combo1), static_cast<QWidget*>(cmbTipos[2]),
                       static_cast<QWidget*>(Option1), static_cast<QWidget*>(Option2)})
        w->setEnabled(false);
    cmbTipos[0]->setEnabled(optSuperType[0]->isChecked());
    cmbTipos[1]->setEnabled(optSuperType[1]->isChecked());
    if (optSuperType[2]->isChecked()) {
        Combo1->setEnabled(true);
        Option1->setEnabled(true);
        Option2->setEnabled(true);
        cmbTipos[2]->setEnabled(Option2->isChecked());
    }
    if (index == 0) txtPredef->clear();
    if (index == 1) txtPredef->setText(QStringLiteral("0"));
    if (index == 2) {
        const QString format = Blank(Combo1->currentText()) ? QStringLiteral("yyyymmdd") : Combo1->currentText();
        txtPredef->setText(QString::fromStdString(NowFormatted(format.toStdString())));
    }
}

void frmParameter::OnDateHandlingChosen() { cmbTipos[2]->setEnabled(Option2->isChecked()); }

void frmParameter::OnFormatChanged() {
    txtPredef->setText(QString::fromStdString(NowFormatted(Combo1->currentText().toStdString())));
}

int frmParameter::SelectedGroup() const {
    for (int g = 0; g < 3; ++g)
        if (optSuperType[g]->isChecked()) return g;
    return -1;
}

std::string frmParameter::SelectedType() const {
    const int g = SelectedGroup();
    if (g < 0) return {};
    if (g == 2 && Option1->isChecked()) return "strDateTime";
    return cmbTipos[g]->currentText().toStdString();
}

bool frmParameter::Validate() {
    if (Blank(txtName->text())) {
        platform::ShowMessage("Debe indicar el nombre del parámetro.", platform::MsgButtons::Ok,
                              platform::MsgIcon::Information);
        txtName->setFocus();
        return false;
    }
    if (SelectedGroup() < 0) {
        platform::ShowMessage("Debe elegir el tipo de datos del parámetro.");
        return false;
    }
    return true;
}

void frmParameter::WriteEdited() {
    eParameter& p = *CurrentParameter;
    p.Name = txtName->text().toStdString();
    const int g = SelectedGroup();
    p.eType(SelectedType());
    if (g == 1 && Blank(txtPredef->text())) txtPredef->setText(QStringLiteral("0"));
    if (g == 2) {
        p.DTFormat = Combo1->currentText().toStdString();
        if (Blank(txtPredef->text()))
            txtPredef->setText(QString::fromStdString(NowFormatted(p.SelectDTF("yyyymmdd hh:mm:ss"))));
    }
    p.Predef = txtPredef->text().toStdString();
}

void frmParameter::OnOk() {
    if (!Validate() || !NameAccepted(txtName)) return;
    if (mode_ == 2 && CurrentParameter) WriteEdited();
    BotonOk = true;
    accept();
}

}  // namespace orvane::designer
