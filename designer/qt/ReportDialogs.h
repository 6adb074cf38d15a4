// The dialogs of the report's own nodes in the editor window: frmReporte,
// the report's name and properties (the root node), and frmCodigo, a plain
// code editor for the report's script code (the "Sub-Programa" node). Both
// write into the definition only on "&Aceptar".
#pragma once

#include <QDialog>
#include <memory>

#include <orvanespt/model/Orvane.h>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvane::designer {

class frmReporte : public QDialog {
    Q_OBJECT
public:
    explicit frmReporte(QWidget* parent = nullptr);
    // Shows the report's name and properties; the two initial-item lists
    // offer the report's dialogs and print formats.
    void Editar(const std::shared_ptr<Orvane>& report);
    bool BotonOk = false;  // true once closed with "&Aceptar"

    QLineEdit* txtName;
    QLineEdit* txtInfo;
    QLineEdit* txtLang;
    QComboBox* cmbInitialDialog;
    QComboBox* cmbInitialPrnFormat;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void OnOk();
    std::shared_ptr<Orvane> report_;
};

class frmCodigo : public QDialog {
    Q_OBJECT
public:
    explicit frmCodigo(QWidget* parent = nullptr);
    void Editar(const std::shared_ptr<Orvane>& report);
    bool BotonOk = false;  // true once closed with "&Aceptar"

    QPlainTextEdit* txtCode;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void OnOk();
    std::shared_ptr<Orvane> report_;
};

}  // namespace orvane::designer
