// frmParameter: the dialog that defines one report parameter: its name, its
// data type chosen in one of three groups (text, numbers, date/time), the
// date format and the default value. In edit mode it writes the parameter on
// "&Aceptar"; in add mode the caller builds the parameter from its fields.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include <orvanespt/model/eParameter.h>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvane::designer {

class frmParameter : public QDialog {
    Q_OBJECT
public:
    explicit frmParameter(QWidget* parent = nullptr);

    std::shared_ptr<eParameter> CurrentParameter;  // the parameter being edited
    bool BotonOk = false;                          // true once closed with "&Aceptar"

    void Agregar();
    void Editar(const std::shared_ptr<eParameter>& prm);
    // Selects the group and entry whose text equals typeName ignoring case;
    // nothing changes when no list holds it.
    void ShowTypeInCmb(const std::string& typeName);
    // Enables the group's controls and sets the default value for group index.
    void GroupRule(int index);
    // The selected type group, or -1 when none is.
    int SelectedGroup() const;
    // The type the fields name: the group's entry, or "strDateTime".
    std::string SelectedType() const;

    QLineEdit* txtName;
    QLineEdit* txtPredef;
    std::array<QRadioButton*, 3> optSuperType{};
    std::array<QComboBox*, 3> cmbTipos{};
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QComboBox* Combo1;
    QPushButton* cmdOK;
    QPushButton* Command2;
    QPushButton* btnAyuda;

private:
    void BuildWidgets();
    void FillTypeLists();
    void OnFormatChanged();
    void OnDateHandlingChosen();
    bool Validate();
    void WriteEdited();
    void OnOk();
    int mode_ = 0;  // 1 add, 2 edit
};

// The current date and time formatted with pattern.
std::string NowFormatted(const std::string& pattern);

}  // namespace orvane::designer
