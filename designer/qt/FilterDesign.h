// dlgFilterDesign: builds the filter text of a record source as a list of
// conditions (field, operator, value, union word) instead of typing it. The
// caller sets the connection, the record source and the filter text, shows
// the dialog modally, and reads the composed text when it was accepted.
//
// After "Eliminar" editing ends, as after "Nuevo", so no later combo change
// can rewrite the entry that moved into the removed one's place. A filter the
// parser cannot split is listed whole, without its surrounding blanks; such an
// entry is selected for "Eliminar" only and the combos never rewrite it.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QShowEvent;

namespace orvane::designer {

class DlgFilterDesign : public QDialog {
    Q_OBJECT
public:
    explicit DlgFilterDesign(QWidget* parent = nullptr);

    // The connection whose report offers its parameters as values.
    void SetConnection(std::shared_ptr<eConnection> connection);
    // The record source whose fields are offered; released once they are listed.
    void SetRecordSource(std::shared_ptr<eRSource> recordSource);
    void SetFilterText(const std::string& text);
    // The text given in, or the composed text after "&Aceptar".
    std::string FilterText() const { return filterText_; }
    // True after "&Aceptar", false after "&Cancelar" or before showing.
    bool Accepted() const { return accepted_; }

    // Fills the list, the fields, the operators, the union words and the
    // parameters. Runs once, when the dialog is first shown.
    void Load();
    // Whether a listed condition is being edited, and which (-1 when none).
    bool Editing() const { return editing_; }
    int EditedPosition() const { return editing_ ? editedPosition_ : -1; }

    QComboBox* cmbCampo;
    QComboBox* cmbOperador;
    QComboBox* cmbParametros;
    QComboBox* cmbUnion;
    QListWidget* lstExpresion;
    QPushButton* BntAgregar;
    QPushButton* BntNuevo;
    QPushButton* bntEliminar;
    QPushButton* bntAceptar;
    QPushButton* bntCancelar;
    QPushButton* BntAyuda;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
    void FillFields();
    void FillParameters();
    std::string ComposedEntry() const;
    void OnAgregar();
    void OnEntryClicked(QListWidgetItem* item);
    void OnComboChanged();
    void OnNuevo();
    void OnEliminar();
    void OnAceptar();
    void OnCancelar();
    void SetEditing(bool editing);

    std::shared_ptr<eConnection> connection_;
    std::shared_ptr<eRSource> recordSource_;
    std::string filterText_;
    bool accepted_ = false;
    bool loaded_ = false;
    bool editing_ = false;
    bool fillingCombos_ = false;  // the combos are being set from an entry
    int editedPosition_ = 0;
};

}  // namespace orvane::designer
