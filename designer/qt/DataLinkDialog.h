// dlgDataLink: composes a connection string for the data layer, the desktop
// counterpart of a data-link dialog: an SQLite database file, an ODBC data
// source, or an ODBC driver with its own parameters, each with an optional
// user and password. "Probar conexión" opens the composed string once.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvane::designer {

// Opens text as a test and closes it again; a data-link file macro is
// resolved first. False with error set (no password in it) when it fails.
bool TestConnectionText(const std::string& text, std::string* error = nullptr);

class DataLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit DataLinkDialog(QWidget* parent = nullptr);

    // Shows a new dialog; the composed string, or nothing when cancelled.
    static std::optional<std::string> PromptNew(QWidget* parent);

    // The string the fields compose; "" when they name no database yet.
    std::string ConnectionString() const;
    // The same with the password masked, as the preview shows it.
    std::string ShownConnectionString() const;

    QRadioButton* optSqlite;
    QRadioButton* optDsn;
    QRadioButton* optDriver;
    QLineEdit* txtFile;
    QPushButton* cmdBrowse;
    QComboBox* cmbDsn;
    QComboBox* cmbDriver;
    QLineEdit* txtParameters;
    QLineEdit* txtUser;
    QLineEdit* txtPassword;
    QLabel* lblPreview;
    QPushButton* cmdTest;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void BuildWidgets();
    void Update();
    void Test();
    void OnOk();
    std::string Compose(const std::string& password) const;
};

}  // namespace orvane::designer
