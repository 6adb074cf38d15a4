#include <orvanespt/designer/qt/SqlDesigner.h>

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <orvanespt/data/SchemaLists.h>
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/designer/qt/PreviewReport.h>
#include <orvanespt/designer/qt/QtSeams.h>

namespace orvane::designer {

namespace {

constexpr int kTableItem = QTreeWidgetItem::UserType;
constexpr int kColumnItem = QTreeWidgetItem::UserType + 1;
constexpr int kParameterRole = Qt::UserRole;

// Adds each listed name as a table item that can be expanded to its columns.
class TreePicker : public data::Picker {
public:
    explicit TreePicker(QTreeWidget* tree) : tree_(tree) {}
    void Clear() override { tree_->clear(); }
    void AddItem(const std::string& text) override {
        auto* item = new QTreeWidgetItem(tree_, {QString::fromStdString(text)}, kTableItem);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }

private:
    QTreeWidget* tree_;
};

std::string QuotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::shared_ptr<data::Recordset> RunPlain(const std::shared_ptr<data::Connection>& cnn, const std::string& sql,
                                          std::string& error) {
    try {
        if (!cnn || cnn->State() != data::kStateOpen) {
            error = "No hay una conexión abierta.";
            return nullptr;
        }
        data::Command command;
        command.ActiveConnection = cnn;
        command.CommandText = sql;
        return command.Execute();
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

}  // namespace

SqlDesigner::SqlDesigner(QWidget* parent) : QDialog(parent) {
    setObjectName("SqlDesigner");
    setWindowTitle(QStringLiteral("Diseñador de consultas SQL"));
    tvwTablas = new QTreeWidget(this);
    tvwTablas->setObjectName("tvwTablas");
    tvwTablas->setHeaderLabel(QStringLiteral("Tablas y columnas"));
    lstParametros = new QListWidget(this);
    lstParametros->setObjectName("lstParametros");
    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName("txtSQL");
    txtSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdInsertar = new QPushButton(QStringLiteral("&Insertar"), this);
    cmdInsertar->setObjectName("cmdInsertar");
    cmdEjecutar = new QPushButton(QStringLiteral("&Ejecutar"), this);
    cmdEjecutar->setObjectName("cmdEjecutar");
    grdResultado = new QTableView(this);
    grdResultado->setObjectName("grdResultado");
    grdResultado->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdResultado->setWordWrap(false);
    lblEstado = new QLabel(this);
    lblEstado->setObjectName("lblEstado");
    lblEstado->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("&Aceptar"), this);
    cmdOK->setObjectName("cmdOK");
    cmdCancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    cmdCancel->setObjectName("cmdCancel");

    connect(tvwTablas, &QTreeWidget::itemExpanded, this, &SqlDesigner::LoadColumns);
    connect(tvwTablas, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { InsertAtCaret(item->text(0)); });
    connect(lstParametros, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { InsertAtCaret(item->data(kParameterRole).toString()); });
    connect(tvwTablas, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { picked_ = item ? item->text(0) : QString(); });
    connect(lstParametros, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { picked_ = item ? item->data(kParameterRole).toString() : QString(); });
    connect(cmdInsertar, &QPushButton::clicked, this, &SqlDesigner::InsertSelected);
    connect(cmdEjecutar, &QPushButton::clicked, this, &SqlDesigner::Execute);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(tvwTablas, 3);
    leftLayout->addWidget(new QLabel(QStringLiteral("Parámetros del reporte:"), left));
    leftLayout->addWidget(lstParametros, 1);
    leftLayout->addWidget(cmdInsertar);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(new QLabel(QStringLiteral("Consulta SQL:"), right));
    rightLayout->addWidget(txtSQL, 2);
    auto* run = new QHBoxLayout;
    run->addWidget(cmdEjecutar);
    run->addWidget(lblEstado, 1);
    rightLayout->addLayout(run);
    rightLayout->addWidget(grdResultado, 2);
    auto* split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(split);
    top->addLayout(buttons);
    resize(760, 520);
}

SqlDesigner::~SqlDesigner() = default;

std::string SqlDesigner::Design(const std::shared_ptr<data::Connection>& cnn, const std::string& sql,
                                const std::string& /*extra*/) {
    Prepare(cnn, sql);
    if (RunModal(*this) != QDialog::Accepted) return sql;
    return txtSQL->toPlainText().toStdString();
}

void SqlDesigner::Prepare(const std::shared_ptr<data::Connection>& cnn, const std::string& sql) {
    cnn_ = cnn;
    txtSQL->setPlainText(QString::fromStdString(sql));
    LoadTables();
    FillParameters();
}

void SqlDesigner::LoadTables() {
    TreePicker picker(tvwTablas);
    data::ListTables(cnn_, picker);
}

void SqlDesigner::FillParameters() {
    lstParametros->clear();
    for (const auto& p : Parameters) {
        const QString name = QString::fromStdString(p.Name);
        auto* item = new QListWidgetItem(
            QStringLiteral("@%1  (%2) = %3").arg(name, QString::fromStdString(p.Type), QString::fromStdString(p.Value)),
            lstParametros);
        item->setData(kParameterRole, QStringLiteral("@") + name);
        item->setToolTip(QStringLiteral("Predeterminado: ") + QString::fromStdString(p.Default));
    }
}

void SqlDesigner::LoadColumns(QTreeWidgetItem* table) {
    if (!table || table->type() != kTableItem || table->childCount() > 0) return;
    std::string error;
    const auto rs = RunPlain(cnn_, "SELECT * FROM " + QuotedName(table->text(0).toStdString()) + " WHERE 1=0", error);
    try {
        if (rs && rs->State() == data::kStateOpen)
            for (const auto& field : rs->Fields())
                new QTreeWidgetItem(table, {QString::fromStdString(field.Name())}, kColumnItem);
    } catch (const std::exception&) {
        // A table whose columns cannot be read shows none.
    }
    if (table->childCount() == 0) table->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void SqlDesigner::InsertAtCaret(const QString& text) {
    // A name never runs into the word beside it ("ORDER BY nombre alta").
    QTextCursor caret = txtSQL->textCursor();
    const QString all = txtSQL->toPlainText();
    auto word = [&all](int i) {
        if (i < 0 || i >= all.size()) return false;
        const QChar c = all.at(i);
        return c.isLetterOrNumber() || c == u'_' || c == u'@';
    };
    const bool before = word(caret.selectionStart() - 1), after = word(caret.selectionEnd());
    caret.insertText((before ? QStringLiteral(" ") : QString()) + text + (after ? QStringLiteral(" ") : QString()));
    txtSQL->setTextCursor(caret);
    txtSQL->setFocus();
}

void SqlDesigner::InsertSelected() {
    if (!picked_.isEmpty()) InsertAtCaret(picked_);
}

void SqlDesigner::Execute() {
    std::string error;
    const std::string sql = txtSQL->toPlainText().toStdString();
    auto rs = RunQuery ? RunQuery(sql, error) : RunPlain(cnn_, sql, error);
    auto model = std::make_unique<RecordsetModel>(rs, kPreviewRows);
    if (model->canFetchMore({})) model->fetchMore({});
    grdResultado->setModel(model.get());
    model_ = std::move(model);
    NarrowColumns(*grdResultado);
    if (!rs || rs->State() != data::kStateOpen) {
        lblEstado->setText(error.empty() ? QStringLiteral("La consulta no devolvió filas.")
                                         : QString::fromStdString(error));
        return;
    }
    lblEstado->setText(QStringLiteral("%1 filas.").arg(rs->RecordCount()));
}

}  // namespace orvane::designer
