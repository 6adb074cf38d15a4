#include <orvanespt/designer/qt/FrmConnection.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <orvanespt/data/Connections.h>
#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/designer/qt/ApplicationsDialog.h>
#include <orvanespt/designer/qt/DataLinkDialog.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/Help.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;

namespace {

constexpr int kHelpId = 10036;
const char* const kOptionCaptions[] = {
    "Administrador de conexiones  de G. Tarsim", "Adaptador para Pelvanto/Brisco ver.2006  y anteriores",
    "Adaptador para Malteva ver. 2005/2006", "Cadena de conexión OLEDB"};

bool Blank(const std::string& text) { return TrimBlanks(text).empty(); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

frmConnection::frmConnection(QWidget* parent) : QDialog(parent) {
    setObjectName("frmConnection");
    SetHelpTopic(*this, kHelpId);
    setWindowTitle(QStringLiteral("Conexión"));
    BuildWidgets();
}

void frmConnection::BuildWidgets() {
    txtName = new QLineEdit(this);
    txtName->setObjectName("txtName");
    auto* access = new QGroupBox(QStringLiteral("Acceso a los datos a través de:"), this);
    auto* options = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        opt[i] = new QRadioButton(QString::fromUtf8(kOptionCaptions[i]), access);
        opt[i]->setObjectName(QStringLiteral("opt(%1)").arg(i));
        options->addButton(opt[i], i);
        connect(opt[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) OnOptionSelected(i);
        });
    }
    dxCombo = new QComboBox(access);
    dxCombo->setObjectName("dxCombo");
    dxCombo->setEditable(true);
    bCfg = Button(access, "bCfg", QStringLiteral("Configurar"));
    txtCnn = new QPlainTextEdit(access);
    txtCnn->setObjectName("txtCnn");
    txtCnn->setTabChangesFocus(true);
    txtCnn->setMinimumHeight(70);
    Command1 = Button(access, "Command1", QStringLiteral("Diseñar"));
    Command2 = Button(access, "Command2", QStringLiteral("Importar Datalink"));
    Command3 = Button(access, "Command3", QStringLiteral("Archivo UDL"));
    dxCheckEdit1 = new QCheckBox(
        QStringLiteral("El motor en tiempo de ejecución puede crear la conexión de ser necesario"), this);
    dxCheckEdit1->setObjectName("dxCheckEdit1");
    dxCheckEdit1->setChecked(true);
    cmdOk = Button(this, "cmdOk", QStringLiteral("&Aceptar"));
    cmdOk->setDefault(true);
    cmdCancel = Button(this, "cmdCancel", QStringLiteral("&Cancelar"));
    BtnAyuda = Button(this, "BtnAyuda", QStringLiteral("Ay&uda"));

    connect(cmdOk, &QPushButton::clicked, this, &frmConnection::OnOk);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnAyuda, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpId); });
    connect(bCfg, &QPushButton::clicked, this, &frmConnection::Configurar);
    connect(Command1, &QPushButton::clicked, this, &frmConnection::Disenar);
    connect(Command2, &QPushButton::clicked, this, &frmConnection::ImportarDatalink);
    connect(Command3, &QPushButton::clicked, this, &frmConnection::ArchivoUdl);

    auto* grid = new QGridLayout(access);
    grid->addWidget(opt[0], 0, 0, 1, 3);
    auto* appLabel = new QLabel(QStringLiteral("Aplicación:"), access);
    appLabel->setBuddy(dxCombo);
    grid->addWidget(appLabel, 1, 0);
    grid->addWidget(dxCombo, 1, 1);
    grid->addWidget(bCfg, 1, 2);
    grid->addWidget(opt[1], 2, 0, 1, 3);
    grid->addWidget(opt[2], 3, 0, 1, 3);
    grid->addWidget(opt[3], 4, 0, 1, 3);
    grid->addWidget(txtCnn, 5, 0, 1, 3);
    auto* designRow = new QHBoxLayout;
    designRow->addStretch();
    designRow->addWidget(Command1);
    designRow->addWidget(Command2);
    designRow->addWidget(Command3);
    grid->addLayout(designRow, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, 24);

    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = new QLabel(QStringLiteral("Nombre de la conexión:"), this);
    nameLabel->setBuddy(txtName);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(txtName, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnAyuda);
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(nameRow);
    top->addWidget(access);
    top->addWidget(dxCheckEdit1);
    top->addLayout(buttons);
    resize(560, sizeHint().height());
}

void frmConnection::OnOptionSelected(int index) {
    const bool manager = index == 0;
    const bool text = index == 3;
    dxCombo->setEnabled(manager);
    bCfg->setEnabled(manager);
    for (QWidget* w : {static_cast<QWidget*>(txtCnn), static_cast<QWidget*>(Command1),
                       static_cast<QWidget*>(Command2), static_cast<QWidget*>(Command3)})
        w->setEnabled(text);
}

int frmConnection::SelectedOption() const {
    for (int i = 0; i < 4; ++i)
        if (opt[i]->isChecked()) return i;
    return -1;
}

void frmConnection::Agregar() {
    txtName->clear();
    CnnString.clear();
    Mode = 1;
    opt[0]->setChecked(true);
    OnOptionSelected(0);
    LoadApplications();
}

void frmConnection::Editar(const std::shared_ptr<eConnection>& eC) {
    txtName->setText(QString::fromStdString(eC->Name));
    CnnString = eC->cnnString;
    switch (data::KindOf(CnnString)) {
        case data::CnnKind::Application:
            opt[0]->setChecked(true);
            dxCombo->setEditText(QString::fromStdString(data::ApplicationNameOf(CnnString)));
            break;
        case data::CnnKind::Brisco:
            opt[1]->setChecked(true);
            break;
        case data::CnnKind::Malteva:
            opt[2]->setChecked(true);
            break;
        default:
            opt[3]->setChecked(true);
            txtCnn->setPlainText(QString::fromStdString(CnnString));
            break;
    }
    OnOptionSelected(SelectedOption());
    Mode = 2;
    dxCheckEdit1->setChecked(eC->Internal);
    LoadApplications();
}

void frmConnection::LoadApplications() {
    // The manager is ours: without a file yet it is there and empty (its
    // first application creates the file). Only a file it cannot read leaves
    // it out.
    if (!Manager) Manager = platform::ConnectionManager::LoadOrNew(platform::ConnectionManager::DefaultPath());
    if (!Manager) {
        platform::ShowMessage(
            "No se encuentra el componente 'Biblioteca de Clases Base de Grupo Tarsim (gTarsimBCL)' por lo que no es "
            "posible obtener información sobre las aplicaciones instaladas.");
        for (int i = 0; i < 3; ++i) opt[i]->setEnabled(false);
        opt[3]->setChecked(true);
        return;
    }
    for (int i = 0; i < 3; ++i) opt[i]->setEnabled(true);
    // Refilling the list must not lose the application name already shown.
    const QString shown = dxCombo->currentText();
    dxCombo->clear();
    for (const auto& app : Manager->ApplicationsCollection()) dxCombo->addItem(QString::fromStdString(app.Name));
    dxCombo->setEditText(shown);
}

void frmConnection::ProposeName() {
    if (EditedCnn || !ParentReport) return;
    if (Blank(txtName->text().toStdString())) txtName->setText(QString::fromStdString(ParentReport->GetNewCnnName()));
}

void frmConnection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ProposeName();
}

bool frmConnection::BuildConnectionString() {
    switch (SelectedOption()) {
        case 0:
            if (Blank(dxCombo->currentText().toStdString())) {
                platform::ShowMessage("Debe indicar el nombre de la aplicación");
                return false;
            }
            CnnString = "@gtCnnManager.ApplicationDb(\"" + dxCombo->currentText().toStdString() + "\")";
            break;
        case 1:
            CnnString = "@gtCnnManager.oldBriscoDb";
            break;
        case 2:
            CnnString = "@gtCnnManager.oldMaltevaDb";
            break;
        default:
            CnnString = txtCnn->toPlainText().toStdString();
            break;
    }
    if (!Blank(CnnString)) return true;
    platform::ShowMessage("Debe indicarse una cadena de conexión.");
    return false;
}

bool frmConnection::ValidateInput() {
    const std::string name = txtName->text().toStdString();
    if (Blank(name)) {
        platform::ShowMessage("Debe indicar un nombre para la conexión.");
        txtName->setFocus();
        return false;
    }
    if (Mode == 1 && ParentReport && ParentReport->GetConnection(std::string(TrimBlanks(name)))) {
        platform::ShowMessage("Ya existe una conexión con el mismo nombre.", platform::MsgButtons::Ok,
                              platform::MsgIcon::Information);
        return false;
    }
    return true;
}

void frmConnection::OnOk() {
    if (!BuildConnectionString() || !ValidateInput()) return;
    if (Mode == 2 && EditedCnn) {
        EditedCnn->Name = txtName->text().toStdString();
        EditedCnn->cnnString = CnnString;
        EditedCnn->Internal = dxCheckEdit1->isChecked();
    }
    Accepted = true;
    accept();
}

void frmConnection::Configurar() {
    if (!Manager) {
        platform::ShowMessage(
            "No se encontró la biblioteca de clases base de G. Tarsim para administración de conexiones.");
        return;
    }
    if (ApplicationsDialog::PromptConnectionsTree(*Manager, this)) LoadApplications();
}

void frmConnection::Disenar() {
    const std::string current = txtCnn->toPlainText().toStdString();
    if (!Blank(current) && current.find("@DataLinkFile") != std::string::npos && TestConnectionText(current)) {
        platform::ShowMessage(
            "Los cambios realizados al diseño de la conexión no se almacenarán en el archivo de vínculo de datos "
            "(udl) y se reemplazará la sentencia @DataLinkFile() por la nueva cadena OleDb.");
    }
    if (auto built = DataLinkDialog::PromptNew(this)) txtCnn->setPlainText(QString::fromStdString(*built));
}

QString frmConnection::ChooseDataLinkFile() {
    return ChooseFile(this, QStringLiteral("Archivo de vínculo de datos"),
                      QStringLiteral("Archivos de vínculo de datos (*.udl);;Todos los archivos (*)"), false);
}

void frmConnection::ImportarDatalink() {
    const QString file = ChooseDataLinkFile();
    if (file.isEmpty()) return;
    const std::string text = data::ReadDataLinkFile(file.toStdString());
    txtCnn->setPlainText(QString::fromStdString(std::string(TrimBlanks(text))));
}

void frmConnection::ArchivoUdl() {
    const QString file = ChooseDataLinkFile();
    if (file.isEmpty()) return;
    txtCnn->setPlainText(QStringLiteral("@DataLinkFile(\"%1\")").arg(file));
}

}  // namespace orvane::designer
