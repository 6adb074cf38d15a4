// dlgDesignForm: the formula editor behind the report's ShowDesignerF. The
// designer writes free text into which the dialog inserts, at the caret,
// macros, operators, field references of the report's top-level record
// sources ("@Source.Field") and parameter references ("@Name"), and picks a
// display format. The dialog neither evaluates nor checks the formula.
//
// Record source nodes are keyed "Rsc_" + name; a later record source of a
// name already keyed gets "~2", "~3"... after it, and each node loads the
// fields of its own record source.
#pragma once

#include <QDialog>
#include <array>
#include <map>
#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>

class QComboBox;
class QEvent;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvane::designer {

class dlgDesignForm : public QDialog {
    Q_OBJECT
public:
    explicit dlgDesignForm(QWidget* parent = nullptr);

    std::string FormulaText;         // given in; the edited formula after "&Aceptar"
    std::string FormulaFormat;       // given in; the chosen format ("" for none) after "&Aceptar"
    std::shared_ptr<Orvane> Report;  // whose record sources and parameters are offered
    bool Accepted = false;           // true after "&Aceptar"

    // Fills the macros, the tree, the formula and the formats from the public
    // state. Runs once, when the dialog is first shown.
    void Load();
    // Replaces the selection of dxMemoF (or inserts at the caret) with text,
    // leaves the caret after it and the focus in dxMemoF.
    void InsertAtCaret(const QString& text);
    // The key of a tree node ("" for none).
    static std::string KeyOf(const QTreeWidgetItem* node);

    QPlainTextEdit* dxMemoF;
    QComboBox* cmbMacros;
    QPushButton* bntAddMacro;
    std::array<QPushButton*, 7> BntOperc{};
    QTreeWidget* TvwSelec;
    QComboBox* CmbFmt;
    QPushButton* BntAceptar;
    QPushButton* BntCancelar;
    QPushButton* BtnAyuda;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildWidgets();
    void FillTree();
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const std::string& key, const std::string& text, int image);
    void OnExpanded(QTreeWidgetItem* node);
    void OnDoubleClicked(QTreeWidgetItem* node);
    void OnAceptar();
    void OnCancelar();

    bool loaded_ = false;
    std::map<const QTreeWidgetItem*, std::weak_ptr<eRSource>> sources_;
};

// Installs dlgDesignForm as the formula designer of every report's
// ShowDesignerF, shown through the modal runner.
void InstallFormulaDesigner();

}  // namespace orvane::designer
