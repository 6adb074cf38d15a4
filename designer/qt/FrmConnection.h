// frmConnection: the dialog that creates or edits one connection of a report:
// its name, how its data are reached (an application of the connection
// manager, one of the two older products' databases, or a connection string
// that may name a data-link file) and whether the runtime may create it.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/ConnectionManager.h>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace orvane::designer {

class frmConnection : public QDialog {
    Q_OBJECT
public:
    explicit frmConnection(QWidget* parent = nullptr);

    std::string CnnString;                      // the connection string the dialog built
    std::shared_ptr<eConnection> EditedCnn;     // the connection being edited; null when adding
    bool Accepted = false;                      // true once closed with "&Aceptar"
    std::int16_t Mode = 0;                      // 1 adding, 2 editing
    std::shared_ptr<Orvane> ParentReport;       // proposes the name, finds duplicates

    void Agregar();
    void Editar(const std::shared_ptr<eConnection>& eC);
    // Fills dxCombo with the manager's applications; without a manager only
    // the connection-string option stays usable, after a message.
    void LoadApplications();
    // When adding with a blank name, proposes the report's next free name.
    void ProposeName();
    // The selected access option, 0 to 3.
    int SelectedOption() const;

    QLineEdit* txtName;
    std::array<QRadioButton*, 4> opt{};
    QComboBox* dxCombo;
    QPushButton* bCfg;
    QPlainTextEdit* txtCnn;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QCheckBox* dxCheckEdit1;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QPushButton* BtnAyuda;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
    void OnOptionSelected(int index);
    bool BuildConnectionString();
    bool ValidateInput();
    void OnOk();
    void Configurar();
    void Disenar();
    void ImportarDatalink();
    void ArchivoUdl();
    QString ChooseDataLinkFile();

    std::shared_ptr<platform::ConnectionManager> Manager;
};

}  // namespace orvane::designer
