// The SQL designer the record source editor opens: the connection's tables
// with their columns, the report's parameters, and the SQL text. A double
// click (or "Insertar") puts the chosen name into the text at the caret: a
// table or column by its name, a parameter as its macro "@Name". "Ejecutar"
// runs the text and shows its first rows. The caller gets the new text on
// "&Aceptar" and its own text back on "&Cancelar".
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <orvanespt/model/Forward.h>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvane::designer {

class RecordsetModel;

// A report parameter as the designer shows it.
struct SqlDesignerParameter {
    std::string Type;  // the parameter's type name
    std::string Name;
    std::string Default;  // its Predef text
    std::string Value;    // its current value as text
};

class SqlDesigner : public QDialog {
    Q_OBJECT
public:
    // Runs a text and returns its rows; null with error set when it fails.
    using QueryRunner = std::function<std::shared_ptr<data::Recordset>(const std::string& sql, std::string& error)>;

    explicit SqlDesigner(QWidget* parent = nullptr);
    ~SqlDesigner() override;

    std::vector<SqlDesignerParameter> Parameters;  // listed for insertion; read when Design runs
    // How "Ejecutar" runs the text; when empty, as a plain command on the
    // connection with no macro replaced.
    QueryRunner RunQuery;

    // Shows the designer modally on the connection (which may be null or
    // closed: the table list is then empty) and returns the text accepted,
    // or sql itself when cancelled. extra is reserved and unused.
    std::string Design(const std::shared_ptr<data::Connection>& cnn, const std::string& sql, const std::string& extra);

    // Shows the connection's tables, the parameters and the text, without
    // running the dialog (Design does this first).
    void Prepare(const std::shared_ptr<data::Connection>& cnn, const std::string& sql);
    // Fills the table list from the connection.
    void LoadTables();
    // Inserts a text into the SQL at the caret, replacing any selection.
    void InsertAtCaret(const QString& text);
    // Runs the SQL text and shows at most kPreviewRows rows, or the error.
    void Execute();

    static constexpr int kPreviewRows = 20;

    QTreeWidget* tvwTablas;
    QListWidget* lstParametros;
    QPlainTextEdit* txtSQL;
    QPushButton* cmdInsertar;
    QPushButton* cmdEjecutar;
    QTableView* grdResultado;
    QLabel* lblEstado;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void LoadColumns(QTreeWidgetItem* table);
    void InsertSelected();
    void FillParameters();

    std::shared_ptr<data::Connection> cnn_;
    std::unique_ptr<RecordsetModel> model_;
    QString picked_;  // what "Insertar" inserts: the name last chosen in either list
};

}  // namespace orvane::designer
