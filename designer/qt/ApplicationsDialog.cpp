#include <orvanespt/designer/qt/ApplicationsDialog.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/Text.h>

namespace orvane::designer {
using text::TrimBlanks;

namespace {

QLineEdit* Edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

ApplicationsDialog::ApplicationsDialog(const platform::ConnectionManager& manager, QWidget* parent)
    : QDialog(parent), working_(manager) {
    setObjectName("dlgApplications");
    SetHelpTopic(*this, 10036);  // part of the connection editor's page
    setWindowTitle(QStringLiteral("Aplicaciones del administrador de conexiones"));
    lstApplications = new QListWidget(this);
    lstApplications->setObjectName("lstApplications");
    lstApplications->setMinimumWidth(160);
    txtAppName = Edit(this, "txtAppName");
    txtConnectionString = Edit(this, "txtConnectionString");
    txtConnectionString->setMinimumWidth(380);
    txtUser = Edit(this, "txtUser");
    txtPassword = Edit(this, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    cmdNew = Button(this, "cmdNew", QStringLiteral("&Nueva"));
    cmdApply = Button(this, "cmdApply", QStringLiteral("&Guardar aplicación"));
    cmdRemove = Button(this, "cmdRemove", QStringLiteral("&Eliminar"));
    cmdOk = Button(this, "cmdOk", QStringLiteral("&Aceptar"));
    cmdOk->setDefault(true);
    cmdCancel = Button(this, "cmdCancel", QStringLiteral("&Cancelar"));

    connect(lstApplications, &QListWidget::currentRowChanged, this, &ApplicationsDialog::OnSelected);
    connect(cmdNew, &QPushButton::clicked, this, [this] {
        lstApplications->setCurrentRow(-1);
        OnSelected();
        txtAppName->setFocus();
    });
    connect(cmdApply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(cmdRemove, &QPushButton::clicked, this, &ApplicationsDialog::Remove);
    connect(cmdOk, &QPushButton::clicked, this, &ApplicationsDialog::OnOk);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Nombre:"), txtAppName);
    form->addRow(QStringLiteral("Cadena de conexión:"), txtConnectionString);
    form->addRow(QStringLiteral("Usuario:"), txtUser);
    form->addRow(QStringLiteral("Contraseña:"), txtPassword);
    auto* appButtons = new QHBoxLayout;
    appButtons->addStretch();
    appButtons->addWidget(cmdNew);
    appButtons->addWidget(cmdApply);
    appButtons->addWidget(cmdRemove);
    form->addRow(appButtons);
    auto* body = new QHBoxLayout;
    body->addWidget(lstApplications);
    body->addLayout(form, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(body);
    top->addLayout(buttons);
    Refill({});
}

void ApplicationsDialog::Refill(const QString& select) {
    lstApplications->clear();
    for (const auto& app : working_.ApplicationsCollection()) {
        lstApplications->addItem(QString::fromStdString(app.Name));
        if (QString::fromStdString(app.Name) == select) lstApplications->setCurrentRow(lstApplications->count() - 1);
    }
    OnSelected();
}

void ApplicationsDialog::OnSelected() {
    auto* item = lstApplications->currentItem();
    auto app = item ? working_.applicationdb(item->text().toStdString()) : nullptr;
    txtAppName->setText(app ? QString::fromStdString(app->Name) : QString());
    txtConnectionString->setText(app ? QString::fromStdString(app->ConnectionString) : QString());
    txtUser->setText(app ? QString::fromStdString(app->UserID) : QString());
    txtConnectionString->setCursorPosition(0);
    txtPassword->clear();
    txtPassword->setPlaceholderText(app && !app->PWD.empty() ? QStringLiteral("(guardada; escriba para cambiarla)")
                                                             : QString());
    cmdRemove->setEnabled(app != nullptr);
}

bool ApplicationsDialog::Pending() const {
    const auto* item = lstApplications->currentItem();
    auto app = item ? working_.applicationdb(item->text().toStdString()) : nullptr;
    if (!txtPassword->text().isEmpty()) return true;
    if (!app)
        return !TrimBlanks(txtAppName->text().toStdString()).empty() || !txtConnectionString->text().isEmpty() ||
               !txtUser->text().isEmpty();
    return txtAppName->text().toStdString() != app->Name ||
           txtConnectionString->text().toStdString() != app->ConnectionString ||
           txtUser->text().toStdString() != app->UserID;
}

bool ApplicationsDialog::Apply() {
    const std::string name(TrimBlanks(txtAppName->text().toStdString()));
    if (name.empty()) {
        platform::ShowMessage("Debe indicar el nombre de la aplicación");
        txtAppName->setFocus();
        return false;
    }
    const auto* item = lstApplications->currentItem();
    auto selected = item ? working_.applicationdb(item->text().toStdString()) : nullptr;
    auto existing = working_.applicationdb(name);
    const bool sameAsSelected = existing && selected && text::EqualsIgnoreCase(existing->Name, selected->Name);
    if (existing && !sameAsSelected) {
        platform::ShowMessage("Ya existe una aplicación con el nombre \"" + existing->Name + "\".",
                              platform::MsgButtons::Ok, platform::MsgIcon::Information);
        txtAppName->setFocus();
        return false;
    }
    // A renamed application keeps its password and extra keys.
    platform::ApplicationDb app = selected ? *selected : platform::ApplicationDb{};
    app.Name = name;
    app.ConnectionString = txtConnectionString->text().toStdString();
    app.UserID = txtUser->text().toStdString();
    if (!txtPassword->text().isEmpty()) app.PWD = txtPassword->text().toStdString();
    platform::ConnectionManager changed = working_;
    if (selected && !sameAsSelected) changed.RemoveApplication(selected->Name);
    if (!changed.SetApplication(app)) {
        platform::ShowMessage("La aplicación no puede guardarse: revise que ningún campo contenga saltos de línea.",
                              platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
        return false;
    }
    working_ = std::move(changed);
    Refill(QString::fromStdString(name));
    return true;
}

void ApplicationsDialog::OnOk() {
    if (Pending() && !Apply()) return;
    accept();
}

void ApplicationsDialog::Remove() {
    if (auto* item = lstApplications->currentItem()) working_.RemoveApplication(item->text().toStdString());
    Refill({});
}

bool ApplicationsDialog::PromptConnectionsTree(platform::ConnectionManager& manager, QWidget* parent) {
    ApplicationsDialog dialog(manager, parent);
    if (RunModal(dialog) != QDialog::Accepted) return false;
    // A manager that has no file yet gets one only for a first application.
    std::error_code absent;
    if (dialog.working_.ApplicationsCollection().empty() && !std::filesystem::exists(manager.Path(), absent))
        return false;
    std::string error;
    if (!dialog.working_.Save(&error)) {
        platform::ShowMessage("No se pudieron guardar las aplicaciones: " + error, platform::MsgButtons::Ok,
                              platform::MsgIcon::Critical);
        return false;
    }
    manager = dialog.working_;
    return true;
}

bool ApplicationsDialog::ConfigureDefaultManager(QWidget* parent) {
    std::string error;
    auto manager = platform::ConnectionManager::LoadOrNew(platform::ConnectionManager::DefaultPath(), &error);
    if (!manager) {
        platform::ShowMessage("No se pudo abrir el archivo del administrador de conexiones: " + error,
                              platform::MsgButtons::Ok, platform::MsgIcon::Critical);
        return false;
    }
    return PromptConnectionsTree(*manager, parent);
}

}  // namespace orvane::designer
