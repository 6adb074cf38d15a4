// The rows of a record source, for the designer: a table model that reads a
// recordset forward in batches as the view scrolls, the preview dialog
// frmPreviewReport that shows it, and dlgZommSQL, the larger box in which
// the record source editor's SQL text is edited.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>
#include <cstddef>
#include <memory>
#include <vector>

#include <orvanespt/model/Forward.h>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace orvane::designer {

// A read-only model over an open recordset. It moves the recordset to its
// first visible row and reads rows forward as the view asks for more, up to
// maxRows (0: no limit). Null cells show as empty text. A recordset that is
// null, closed, or fails while being read shows the rows read so far.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetModel(std::shared_ptr<data::Recordset> rs, std::size_t maxRows = 0, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    std::shared_ptr<data::Recordset> rs_;
    std::size_t maxRows_;
    QStringList headers_;
    std::vector<QStringList> rows_;
    bool done_ = false;
};

// Widest a preview column opens with.
inline constexpr int kPreviewColumnWidth = 150;

// Narrows every column of the view wider than kPreviewColumnWidth to it.
void NarrowColumns(QTableView& view);

// "Vista previa de datos": the rows of Recordset in the grid dxDBGrid1,
// columns sized to their contents but never wider than 150 pixels, rows one
// line high, and the number of rows beside "&Cerrar".
class FrmPreviewReport : public QDialog {
    Q_OBJECT
public:
    explicit FrmPreviewReport(QWidget* parent = nullptr);

    // Binds the grid to the recordset (null shows an empty grid).
    void SetRecordset(std::shared_ptr<data::Recordset> rs);

    QTableView* dxDBGrid1;
    QLabel* lblFilas;
    QPushButton* BtnCerrar;

private:
    std::unique_ptr<RecordsetModel> model_;
};

// "SQL": the SQL text in a large box; "Cerrar" closes it.
class DlgZommSQL : public QDialog {
    Q_OBJECT
public:
    explicit DlgZommSQL(QWidget* parent = nullptr);

    QPlainTextEdit* Text1;
    QPushButton* KewlButtons1;
};

}  // namespace orvane::designer
