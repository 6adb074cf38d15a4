// dlgApplications: the connection manager's own configuration, opened by
// "Configurar" of the connection editor. Lists the registered applications
// and edits one at a time: name, connection string, user and password. The
// password is typed into a masked field and never shown back; leaving it
// empty keeps the stored one. Changing the name of the selected application
// renames it; "&Aceptar" keeps the fields being edited as if they had been
// saved with "Guardar aplicación".
#pragma once

#include <QDialog>

#include <orvanespt/platform/ConnectionManager.h>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace orvane::designer {

class ApplicationsDialog : public QDialog {
    Q_OBJECT
public:
    // Edits a copy of manager; the caller's manager changes only on accept.
    explicit ApplicationsDialog(const platform::ConnectionManager& manager, QWidget* parent = nullptr);

    // Shows the dialog; on "&Aceptar" saves the applications to the manager's
    // file and copies them into manager. True when saved; false when
    // cancelled or when saving failed (after a message naming the file).
    static bool PromptConnectionsTree(platform::ConnectionManager& manager, QWidget* parent);
    // Edits the applications of the manager file at DefaultPath(), creating
    // the file (owner-only) when the first application is saved. False when
    // cancelled, or after a message when the file cannot be read or written.
    static bool ConfigureDefaultManager(QWidget* parent);

    const platform::ConnectionManager& Working() const { return working_; }

    QListWidget* lstApplications;
    QLineEdit* txtAppName;
    QLineEdit* txtConnectionString;
    QLineEdit* txtUser;
    QLineEdit* txtPassword;
    QPushButton* cmdApply;
    QPushButton* cmdNew;
    QPushButton* cmdRemove;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void Refill(const QString& select);
    void OnSelected();
    // True when the fields hold something not yet in the working copy.
    bool Pending() const;
    // Stores the fields into the working copy; false after a message.
    bool Apply();
    void Remove();
    void OnOk();

    platform::ConnectionManager working_;
};

}  // namespace orvane::designer
