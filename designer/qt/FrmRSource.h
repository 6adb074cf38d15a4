// frmRSource: the dialog that creates or edits one record source of a
// connection: what it reads (a table or view, a stored procedure or an SQL
// command), its filter and sort, its cursor options, the parameters sent to
// the server, the field and parameter that link its children, and the
// children themselves. Its buttons test the query against the database,
// show the rows, and open the SQL designer, the SQL zoom, the filter and
// formula designers and, through OrvaneUI, the connection, parameter and
// child record source editors.
//
// The save steps write into ThisRC as they go, so a save that fails part-way
// keeps the fields written before the failing step, and the test buttons
// (which save first) leave their writes in place even when the dialog is
// then cancelled.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Orvane.h>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace orvane {
class OrvaneUI;
}

namespace orvane::designer {

class FrmRSource : public QDialog {
    Q_OBJECT
public:
    explicit FrmRSource(QWidget* parent = nullptr);

    std::string NoName;                // a name the default name of a new record source must not equal
    bool BotonOk = false;              // true once closed with "&Aceptar"
    const OrvaneUI* UIRpt = nullptr;   // the designer object called back into; must outlive the dialog
    std::shared_ptr<eRSource> ThisRC;  // the record source edited, or the new one being built

    // Shows the connection, refreshes the pickers and resets the cursor
    // options to their first entries. A null connection only clears txtCnn.
    void SetCnn(const std::shared_ptr<eConnection>& eC);
    // Add mode: a new record source of the connection becomes ThisRC.
    void Agregar();
    // Edit mode: eRs becomes ThisRC and the controls show it; the name is
    // locked. Nothing happens for a null record source.
    void Modificar(const std::shared_ptr<eRSource>& eRs);
    // While ThisRC has no name, proposes the report's next free one, never
    // equal to NoName ("R_" and a number 1 to 99 are appended when it is).
    void DefaultName();
    // Writes the controls into ThisRC step by step; false, after the step's
    // message, at the first step that fails (earlier writes stay).
    bool SaveToObject();
    // False, after its message and with the focus moved to txtName, when the
    // name is blank.
    bool NameIsValid();
    // Saves, opens the connection and the record source for a test; false
    // after the message of the step that failed.
    bool TryOpen();
    // Opens the connection when needed and refills dxTable, dxProc and the
    // parameter lists; the pickers of names stay as they were when the
    // connection cannot be opened.
    void RefreshLists();
    // Fills dxParam and List3 with the report's parameter names.
    void FillParameters();
    // Creates a report parameter through the parameter editor and offers it
    // in dxParam and List3; refused, after a message, when its name is taken.
    void NewParameter();
    // The mode: 1 add, 2 edit, 0 before Agregar or Modificar.
    std::int16_t Mode() const { return mode_; }

    QTabWidget* SSTab1;
    // "General"
    QLineEdit* txtCnn;
    QToolButton* cmdCnn;  // the button of txtCnn: edit the connection
    QLineEdit* txtName;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QComboBox* dxTable;
    QPushButton* Command12;
    QComboBox* dxProc;
    QPushButton* Command13;
    QPlainTextEdit* txtSQL;
    QPushButton* cmdConsulta;
    QPushButton* K7;
    QPushButton* btnProbarCons;
    QLineEdit* txtFilter;
    QToolButton* bntDesign;
    QComboBox* txtOrder;
    QPushButton* CmdActualizarOrden;
    QPushButton* BntPreviewTable;
    QPushButton* KewlButtons8;
    // "Origenes dependientes"
    QListWidget* List2;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QComboBox* dxIDField;
    QPushButton* Command4;
    QComboBox* dxParam;
    QPushButton* Command5;
    // "Avanzadas"
    QComboBox* dxCursorLocation;
    QComboBox* dxCursorType;
    QComboBox* dxLockType;
    QListWidget* List3;
    QListWidget* List1;
    QToolButton* KewlButtons3;
    QToolButton* KewlButtons4;
    QToolButton* KewlButtons5;
    QToolButton* KewlButtons6;
    QPushButton* KewlButtons1;
    QPushButton* KewlButtons2;
    QPushButton* Command7;
    // Outside the tabs
    QPushButton* Command10;
    QPushButton* Command11;
    QPushButton* BtnAyuda;

protected:
    bool event(QEvent* e) override;

private:
    QWidget* BuildGeneral();
    QWidget* BuildChildren();
    QWidget* BuildAdvanced();
    void Connect();
    void LoadSource(const eRSource& rs);
    void LoadCursorOptions(const eRSource& rs);
    std::string SqlText() const;
    bool SaveSource();
    void SaveCursorOptions();
    std::shared_ptr<Orvane> Report() const;
    bool EnsureConnectionOpen();
    void RefreshTables();
    void RefreshProcedures();
    void EditConnection();
    void OnAceptar();
    void OnCancelar();
    void CopyRight();
    void CopyAll();
    void RemoveRight();
    void MoveRight(int step);
    void NewChild();
    void EditChild();
    void RemoveChild();
    void RefreshFields();
    void RefreshOrder();
    void DesignFilter();
    void TestQuery();
    void Preview();
    void DesignSql();
    void ZoomSql();
    void SetSqlText(const QString& text);

    std::shared_ptr<eConnection> connection_;
    std::int16_t mode_ = 0;  // 1 add, 2 edit
};

}  // namespace orvane::designer
