#include <orvanespt/designer/qt/PreviewReport.h>

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/designer/qt/QtSeams.h>


namespace orvane::designer {

namespace {

constexpr int kBatch = 256;

QString CellText(const data::Field& field) {
    const auto value = field.Value().Text();
    return value ? QString::fromStdString(*value) : QString();
}

}  // namespace

RecordsetModel::RecordsetModel(std::shared_ptr<data::Recordset> rs, std::size_t maxRows, QObject* parent)
    : QAbstractTableModel(parent), rs_(std::move(rs)), maxRows_(maxRows) {
    try {
        if (!rs_ || rs_->State() != data::kStateOpen) {
            done_ = true;
            return;
        }
        for (const auto& field : rs_->Fields()) headers_ << QString::fromStdString(field.Name());
        if (rs_->RecordCount() > 0) rs_->MoveFirst();
    } catch (const std::exception&) {
        done_ = true;
    }
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : headers_.size();
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= rows_.size() || index.column() >= rows_[row].size()) return {};
    return rows_[row][index.column()];
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section < headers_.size() ? QVariant(headers_[section]) : QVariant();
}

bool RecordsetModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !done_ && (maxRows_ == 0 || rows_.size() < maxRows_);
}

void RecordsetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<QStringList> batch;
    try {
        while (!rs_->Eof() && static_cast<int>(batch.size()) < kBatch &&
               (maxRows_ == 0 || rows_.size() + batch.size() < maxRows_)) {
            QStringList row;
            for (const auto& field : rs_->Fields()) row << CellText(field);
            batch.push_back(std::move(row));
            rs_->MoveNext();
        }
        done_ = rs_->Eof();
    } catch (const std::exception&) {
        done_ = true;
    }
    if (batch.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    for (auto& row : batch) rows_.push_back(std::move(row));
    endInsertRows();
}

void NarrowColumns(QTableView& view) {
    view.resizeColumnsToContents();
    QHeaderView* header = view.horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        if (header->sectionSize(c) > kPreviewColumnWidth) header->resizeSection(c, kPreviewColumnWidth);
}

FrmPreviewReport::FrmPreviewReport(QWidget* parent) : QDialog(parent) {
    setObjectName("frmPreviewReport");
    SetHelpTopic(*this, 10038);  // the record source editor's page
    setWindowTitle(QStringLiteral("Vista previa de datos"));
    dxDBGrid1 = new QTableView(this);
    dxDBGrid1->setObjectName("dxDBGrid1");
    dxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxDBGrid1->setAlternatingRowColors(true);
    dxDBGrid1->setWordWrap(false);  // a narrowed column elides its long texts
    // Rows one text line high, as a grid of records reads best.
    dxDBGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    lblFilas = new QLabel(this);
    lblFilas->setObjectName("lblFilas");
    BtnCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    BtnCerrar->setObjectName("BtnCerrar");
    connect(BtnCerrar, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblFilas);
    buttons->addStretch();
    buttons->addWidget(BtnCerrar);
    auto* top = new QVBoxLayout(this);
    top->addWidget(dxDBGrid1);
    top->addLayout(buttons);
    resize(640, 400);
}

void FrmPreviewReport::SetRecordset(std::shared_ptr<data::Recordset> rs) {
    long long rows = 0;
    try {
        if (rs && rs->State() == data::kStateOpen) rows = static_cast<long long>(rs->RecordCount());
    } catch (const std::exception&) {
        // A recordset that cannot count shows no rows counted.
    }
    lblFilas->setText(rows == 1 ? QStringLiteral("1 fila") : QStringLiteral("%1 filas").arg(rows));
    auto model = std::make_unique<RecordsetModel>(std::move(rs));
    dxDBGrid1->setModel(model.get());
    model_ = std::move(model);
    if (model_->canFetchMore({})) model_->fetchMore({});
    NarrowColumns(*dxDBGrid1);
}

DlgZommSQL::DlgZommSQL(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgZommSQL");
    setWindowTitle(QStringLiteral("SQL"));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName("Text1");
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    KewlButtons1 = new QPushButton(QStringLiteral("Cerrar"), this);
    KewlButtons1->setObjectName("KewlButtons1");
    connect(KewlButtons1, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(KewlButtons1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Text1);
    top->addLayout(buttons);
    resize(640, 420);
}

}  // namespace orvane::designer
