#include <orvanespt/designer/qt/DataLinkDialog.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <orvanespt/data/ResolvedConnection.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/OdbcCatalog.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// ODBC values holding a separator or edge blanks go in braces, a closing
// brace inside doubled.
std::string Braced(const std::string& value) { return "{" + text::ReplaceAll(value, "}", "}}") + "}"; }

std::string OdbcValue(const std::string& value) {
    const bool plain = value.empty() || (value.find_first_of(";{}=") == std::string::npos && value.front() != ' ' &&
                                         value.back() != ' ');
    return plain ? value : Braced(value);
}

}  // namespace

bool TestConnectionText(const std::string& text, std::string* error) {
    // The designer has no definition folder: relative paths are the current folder's.
    const data::ResolvedConnection resolved = data::ResolveConnection(text, "");
    try {
        if (resolved.Written.empty() && !resolved.Problem.empty()) throw data::DataError(resolved.Problem);
        data::Connection connection;
        connection.Open(resolved);
        connection.Close();
        return true;
    } catch (const std::exception& e) {
        if (error) *error = platform::ScrubPasswords(e.what(), {resolved.Password});
        return false;
    }
}

DataLinkDialog::DataLinkDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgDataLink");
    setWindowTitle(QStringLiteral("Diseñar la conexión"));
    BuildWidgets();
    for (const auto& source : data::ListOdbcDataSources()) cmbDsn->addItem(QString::fromStdString(source.Name));
    for (const auto& driver : data::ListOdbcDrivers()) cmbDriver->addItem(QString::fromStdString(driver));
    optSqlite->setChecked(true);
    Update();
}

void DataLinkDialog::BuildWidgets() {
    auto* source = new QGroupBox(QStringLiteral("Origen de los datos:"), this);
    optSqlite = Named(new QRadioButton(QStringLiteral("Base de datos SQLite"), source), "optSqlite");
    optDsn = Named(new QRadioButton(QStringLiteral("Origen de datos ODBC"), source), "optDsn");
    optDriver = Named(new QRadioButton(QStringLiteral("Controlador ODBC"), source), "optDriver");
    auto* group = new QButtonGroup(this);
    for (auto* b : {optSqlite, optDsn, optDriver}) {
        group->addButton(b);
        connect(b, &QRadioButton::toggled, this, &DataLinkDialog::Update);
    }
    txtFile = Named(new QLineEdit(source), "txtFile");
    cmdBrowse = Named(new QPushButton(QStringLiteral("&Examinar..."), source), "cmdBrowse");
    cmbDsn = Named(new QComboBox(source), "cmbDsn");
    cmbDriver = Named(new QComboBox(source), "cmbDriver");
    txtParameters = Named(new QLineEdit(source), "txtParameters");
    txtParameters->setPlaceholderText(QStringLiteral("Server=localhost;Database=ventas"));
    txtUser = Named(new QLineEdit(this), "txtUser");
    txtPassword = Named(new QLineEdit(this), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPreview = Named(new QLabel(this), "lblPreview");
    lblPreview->setWordWrap(true);
    lblPreview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdTest = Named(new QPushButton(QStringLiteral("&Probar conexión"), this), "cmdTest");
    cmdOk = Named(new QPushButton(QStringLiteral("&Aceptar"), this), "cmdOk");
    cmdOk->setDefault(true);
    cmdCancel = Named(new QPushButton(QStringLiteral("&Cancelar"), this), "cmdCancel");
    for (auto* e : {txtFile, txtParameters, txtUser, txtPassword})
        connect(e, &QLineEdit::textChanged, this, &DataLinkDialog::Update);
    for (auto* c : {cmbDsn, cmbDriver}) connect(c, &QComboBox::currentTextChanged, this, &DataLinkDialog::Update);
    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString file = ChooseFile(this, QStringLiteral("Base de datos SQLite"),
                                        QStringLiteral("Bases de datos SQLite (*.db *.sqlite *.sqlite3);;Todos los "
                                                       "archivos (*)"),
                                        false);
        if (!file.isEmpty()) txtFile->setText(file);
    });
    connect(cmdTest, &QPushButton::clicked, this, &DataLinkDialog::Test);
    connect(cmdOk, &QPushButton::clicked, this, &DataLinkDialog::OnOk);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(source);
    grid->addWidget(optSqlite, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Archivo:"), source), 1, 0);
    grid->addWidget(txtFile, 1, 1);
    grid->addWidget(cmdBrowse, 1, 2);
    grid->addWidget(optDsn, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Nombre:"), source), 3, 0);
    grid->addWidget(cmbDsn, 3, 1, 1, 2);
    grid->addWidget(optDriver, 4, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Controlador:"), source), 5, 0);
    grid->addWidget(cmbDriver, 5, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Parámetros:"), source), 6, 0);
    grid->addWidget(txtParameters, 6, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* login = new QGroupBox(QStringLiteral("Inicio de sesión (ODBC):"), this);
    auto* loginGrid = new QGridLayout(login);
    loginGrid->addWidget(new QLabel(QStringLiteral("Usuario:"), login), 0, 0);
    loginGrid->addWidget(txtUser, 0, 1);
    loginGrid->addWidget(new QLabel(QStringLiteral("Contraseña:"), login), 1, 0);
    loginGrid->addWidget(txtPassword, 1, 1);
    loginGrid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTest);
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(source);
    top->addWidget(login);
    top->addWidget(new QLabel(QStringLiteral("Cadena de conexión:"), this));
    top->addWidget(lblPreview);
    top->addLayout(buttons);
    resize(520, sizeHint().height());
}

std::string DataLinkDialog::Compose(const std::string& password) const {
    if (optSqlite->isChecked()) {
        const std::string file(TrimBlanks(txtFile->text().toStdString()));
        return file.empty() ? std::string() : "Provider=SQLite;Data Source=" + file;
    }
    std::string text = "Provider=MSDASQL;";
    if (optDsn->isChecked()) {
        if (cmbDsn->currentText().isEmpty()) return {};
        text += "DSN=" + OdbcValue(cmbDsn->currentText().toStdString()) + ";";
    } else {
        if (cmbDriver->currentText().isEmpty()) return {};
        text += "Driver=" + Braced(cmbDriver->currentText().toStdString()) + ";";
        const std::string extra(TrimBlanks(txtParameters->text().toStdString()));
        if (!extra.empty()) text += extra + (extra.back() == ';' ? "" : ";");
    }
    if (!txtUser->text().isEmpty()) text += "UID=" + OdbcValue(txtUser->text().toStdString()) + ";";
    if (!password.empty()) text += "PWD=" + OdbcValue(password) + ";";
    return text;
}

std::string DataLinkDialog::ConnectionString() const { return Compose(txtPassword->text().toStdString()); }

std::string DataLinkDialog::ShownConnectionString() const {
    return Compose(txtPassword->text().isEmpty() ? std::string() : "***");
}

void DataLinkDialog::Update() {
    const bool sqlite = optSqlite->isChecked();
    txtFile->setEnabled(sqlite);
    cmdBrowse->setEnabled(sqlite);
    cmbDsn->setEnabled(optDsn->isChecked());
    cmbDriver->setEnabled(optDriver->isChecked());
    txtParameters->setEnabled(optDriver->isChecked());
    txtUser->setEnabled(!sqlite);
    txtPassword->setEnabled(!sqlite);
    const std::string shown = ShownConnectionString();
    lblPreview->setText(shown.empty() ? QStringLiteral("(incompleta)") : QString::fromStdString(shown));
    cmdTest->setEnabled(!shown.empty());
    cmdOk->setEnabled(!shown.empty());
}

void DataLinkDialog::Test() {
    std::string error;
    if (TestConnectionText(ConnectionString(), &error)) {
        platform::ShowMessage("La conexión de prueba fue satisfactoria.", platform::MsgButtons::Ok,
                              platform::MsgIcon::Information);
        return;
    }
    platform::ShowMessage("No se pudo abrir la conexión: " + error, platform::MsgButtons::Ok,
                          platform::MsgIcon::Critical);
}

void DataLinkDialog::OnOk() {
    if (!ConnectionString().empty()) accept();
}

std::optional<std::string> DataLinkDialog::PromptNew(QWidget* parent) {
    DataLinkDialog dialog(parent);
    if (RunModal(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.ConnectionString();
}

}  // namespace orvane::designer
