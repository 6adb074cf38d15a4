// frmDialog and frmFormat: the two small dialogs that name a parameter-entry
// dialog or a print format of a report. Both require a name and a properties
// text; frmFormat stores the properties, frmDialog only requires them.
#pragma once

#include <QDialog>
#include <memory>

#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/ePrnFormat.h>

class QLabel;
class QLineEdit;
class QPushButton;
class QGridLayout;

namespace orvane::designer {

// The shared form: txtName, txtProperties, "&Aceptar" and "&Cancelar".
class NameDialogBase : public QDialog {
    Q_OBJECT
public:
    bool BotonOk = false;  // true once closed with "&Aceptar"
    int mode = 0;          // 1 after Agregar, 2 after Editar

    QLineEdit* txtName;
    QLineEdit* txtProperties;

protected:
    NameDialogBase(const QString& caption, const QString& nameLabel, const QString& nameLabelObject,
                   const QString& propertiesLabel, QWidget* parent);
    QGridLayout* grid_;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    // Writes the edited object in edit mode.
    virtual void WriteEdited() = 0;

private:
    // False, with the message shown, when a field is blank.
    bool CheckFields();
    void OnOk();
};

class frmDialog : public NameDialogBase {
    Q_OBJECT
public:
    explicit frmDialog(QWidget* parent = nullptr);
    std::shared_ptr<eDialog> CurrentDialog;  // the dialog definition being edited
    void Agregar();
    // txtProperties keeps its empty text: it is asked for, never stored.
    void Editar(const std::shared_ptr<eDialog>& d);

protected:
    void WriteEdited() override;
};

class frmFormat : public NameDialogBase {
    Q_OBJECT
public:
    explicit frmFormat(QWidget* parent = nullptr);
    std::shared_ptr<ePrnFormat> CurrentFormat;  // the print format being edited
    void Agregar();
    void Editar(const std::shared_ptr<ePrnFormat>& f);

protected:
    void WriteEdited() override;
};

}  // namespace orvane::designer
